#include "analysis/BondBuilder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "analysis/CellPartition.h"
#include "data/DataContainer.h"
#include "data/DataSetList.h"
#include "data/Prefault.h"
#include "data/text/ParallelText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

// The 13 neighbour steps (x, y, z each -1, 0, +1, stored as 0, 1, 2) that the visiting
// order (z outermost, then y, then x) reaches before the centre cell. With the lower-indexed
// atoms of the centre cell they hold every pair once per image: a pair found from one atom
// through step d is found from the other through -d, and exactly one of d, -d is here.
constexpr int kHalfSteps[13][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                   {2, 1, 0}, {0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {0, 0, 1},
                                   {1, 0, 1}, {2, 0, 1}, {0, 1, 1}};

// True when v was allocated anew (its pages not yet mapped).
template <class T>
bool GrowDiscarding(qv::PodVector<T>& v, size_t n) {
  if (v.size() >= n) return false;
  v = qv::PodVector<T>();  // the old contents are not kept, so never copied
  v.resize(n);
  return true;
}

// Whether two consecutive atoms of the order check lie in cells farther apart than adjacent.
bool FarCells(const int32_t a[3], const int32_t b[3]) {
  return std::abs(a[0] - b[0]) > 1 || std::abs(a[1] - b[1]) > 1 || std::abs(a[2] - b[2]) > 1;
}

// The grid aims at this many atoms per cell on average (cells never narrower than the
// cut-off): fewer leaves most of the cells a walk visits empty, more measures distances to
// atoms beyond the cut-off.
constexpr int64_t kAtomsPerCell = 3;

// Above this many cut-off-grid cells per atom the walk runs on the coarser grid: there it
// was faster, and below it the cut-off grid's cell array stays within about 4 bytes per
// atom.
constexpr double kSparseCellsPerAtom = 1.0;

// On the coarser grid, a list of at most one entry in this many atoms is kept as the search
// finds it (24 bytes an entry, 3 bytes per atom of room) and put in order after; a longer
// one is counted first and written in a second pass.
constexpr int32_t kShortList = 8;

// Below this many atoms a second thread costs more to start than it saves.
constexpr int32_t kParallelAtoms = 1 << 15;

// Calls hit(t, dx, dy, dz) in slot order for every slot t in [from, to) whose position (xyz
// side by side in p) lies within sqrt(cut2) of q, (dx, dy, dz) = p[t] - q. Two slots a step:
// the lanes compute exactly what the scalar tail does, in the same order of operations.
// Always inlined: it is the walks' inner loop.
template <class Hit>
[[gnu::always_inline]] inline void ScanSlots(const double* p, int32_t from, int32_t to, double qx,
                                             double qy, double qz, double cut2, Hit&& hit) {
  int32_t t = from;
#if defined(__SSE2__)
  const __m128d qxy = _mm_set_pd(qy, qx), qzx = _mm_set_pd(qx, qz), qyz = _mm_set_pd(qz, qy);
  const __m128d limit = _mm_set1_pd(cut2);
  for (; t + 2 <= to; t += 2) {
    const double* pt = p + 3 * static_cast<size_t>(t);
    __m128d a = _mm_sub_pd(_mm_loadu_pd(pt), qxy);      // x0 y0
    __m128d b = _mm_sub_pd(_mm_loadu_pd(pt + 2), qzx);  // z0 x1
    __m128d c = _mm_sub_pd(_mm_loadu_pd(pt + 4), qyz);  // y1 z1
    a = _mm_mul_pd(a, a);
    b = _mm_mul_pd(b, b);
    c = _mm_mul_pd(c, c);
    const __m128d xx = _mm_shuffle_pd(a, b, 2), yy = _mm_shuffle_pd(a, c, 1), zz = _mm_shuffle_pd(b, c, 2);
    const int near = _mm_movemask_pd(_mm_cmple_pd(_mm_add_pd(_mm_add_pd(xx, yy), zz), limit));
    if (near == 0) continue;
    for (int lane = 0; lane < 2; ++lane) {
      if (!(near >> lane & 1)) continue;
      const double* pl = pt + 3 * lane;
      hit(t + lane, pl[0] - qx, pl[1] - qy, pl[2] - qz);
    }
  }
#endif
  for (; t < to; ++t) {
    const double* pt = p + 3 * static_cast<size_t>(t);
    const double dx = pt[0] - qx, dy = pt[1] - qy, dz = pt[2] - qz;
    if (dx * dx + dy * dy + dz * dz <= cut2) hit(t, dx, dy, dz);
  }
}

// Calls near(t) for every slot t in [from, to) whose float position (one array per axis,
// readable three values past `to`) passes the float test against q; near measures again in
// doubles, so the test need only be loose enough never to miss.
template <class Near>
[[gnu::always_inline]] inline void ScanLanes(const float* x, const float* y, const float* z,
                                             int32_t from, int32_t to, float qx, float qy, float qz,
                                             float limit2, Near&& near) {
#if defined(__SSE2__)
  const __m128 vx = _mm_set1_ps(qx), vy = _mm_set1_ps(qy), vz = _mm_set1_ps(qz), limit = _mm_set1_ps(limit2);
  for (int32_t t = from; t < to; t += 4) {
    const __m128 dx = _mm_sub_ps(_mm_loadu_ps(x + t), vx), dy = _mm_sub_ps(_mm_loadu_ps(y + t), vy),
                 dz = _mm_sub_ps(_mm_loadu_ps(z + t), vz);
    const __m128 d2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
    const int mask = _mm_movemask_ps(_mm_cmple_ps(d2, limit));
    if (mask == 0) continue;
    for (int lane = 0; lane < 4 && t + lane < to; ++lane)
      if (mask >> lane & 1) near(t + lane);
  }
#else
  for (int32_t t = from; t < to; ++t) {
    const float dx = x[t] - qx, dy = y[t] - qy, dz = z[t] - qz;
    if (dx * dx + dy * dy + dz * dz <= limit2) near(t);
  }
#endif
}

using qv::Prefault;

std::atomic<bool> wideLanesAllowed{true};

bool WideLanesAllowed() { return wideLanesAllowed.load(std::memory_order_relaxed); }

int BuildThreads(int requested, int32_t n) {
  if (requested > 0) return std::min(requested, 2);
  if (n < kParallelAtoms) return 1;
  return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

// Zeroes count values, split between the team: in a fresh array the first touch of every
// page is a fault, and the team takes them side by side. Mapping pages that are mapped
// already still costs a walk over them: only a fresh array is prefaulted.
void ZeroCounts(int team, int32_t* p, size_t count, bool fresh) {
  qv::RunParallel(team, static_cast<size_t>(team), [&](size_t k) {
    const size_t from = count * k / static_cast<size_t>(team), to = count * (k + 1) / static_cast<size_t>(team);
    if (fresh) Prefault(p + from, (to - from) * sizeof(int32_t));
    std::fill(p + from, p + to, 0);
  });
}

}  // namespace

void AllowWideBondLanes(bool allowed) { wideLanesAllowed.store(allowed, std::memory_order_relaxed); }

int32_t BuildBonds(ATOMS_DATA& frame, BOND_INFO& bonds, double cutoff, int periodic,
                   BondBuildStats* stats, BondWalk walk, int threads) {
  ++bonds.revision;
  const int32_t atomCount = std::max(frame.atomCount, 0);
  const int32_t n = static_cast<int32_t>(
      std::min<size_t>(static_cast<size_t>(atomCount), frame.positions.size() / 3));
  const int team = BuildThreads(threads, n);
  const bool freshCounts = GrowDiscarding(bonds.counts, static_cast<size_t>(atomCount));
  ZeroCounts(team, bonds.counts.data(), static_cast<size_t>(atomCount), freshCounts);
  // Whether the list's array is new in this build: only then are its pages mapped ahead.
  bool freshEntries = GrowDiscarding(bonds.entries, 4 * static_cast<size_t>(n));
  bonds.bondCount = 0;
  if (stats) *stats = BondBuildStats{};
  if (n == 0 || !std::isfinite(cutoff) || cutoff < 0) return 0;

  float* pos = frame.positions.data();
  // The list is the one of the cut-off grid (cells one cut-off wide). A cut-off far below
  // the atoms' spacing would leave most of its cells empty, and a vast box with few atoms
  // would get a head array sized by the box; there the walk runs on a coarser grid of about
  // one cell per kAtomsPerCell atoms and keeps, in the cut-off grid's order, just the pairs
  // that grid lists.
  CellPartition fine(cutoff);
  CellPartition part(cutoff);
  part.SetCellLimit(std::max<int64_t>(1, n / kAtomsPerCell));
  double origin[3] = {0, 0, 0};
  bool images = periodic != 0;
  if (images) {
    float b[9];
    for (int k = 0; k < 9; ++k) b[k] = static_cast<float>(frame.box[k]);
    for (int k = 0; k < 3; ++k) origin[k] = static_cast<float>(frame.origin[k]);
    const float offDiagonal = std::fabs(b[1]) + std::fabs(b[2]) + std::fabs(b[3]) +
                              std::fabs(b[5]) + std::fabs(b[6]) + std::fabs(b[7]);
    for (CellPartition* g : {&fine, &part}) {
      if (offDiagonal > 1e-7f) {
        const double m[3][3] = {{b[0], b[1], b[2]}, {b[3], b[4], b[5]}, {b[6], b[7], b[8]}};
        g->SetTriclinicBox(m);
      } else {
        g->SetOrthogonalBox(b[0], b[4], b[8]);
      }
    }
    // No box in the file (all zero) or a flat one: there is nothing to be periodic in.
    images = part.Usable();
  }
  if (!images) {
    // The atoms' own extent, searched without images, so no bond crosses its faces.
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    bool any = false;
    for (int32_t i = 0; i < n; ++i) {
      const float* p = pos + 3 * static_cast<size_t>(i);
      if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
      for (int k = 0; k < 3; ++k) {
        lo[k] = any ? std::min(lo[k], static_cast<double>(p[k])) : p[k];
        hi[k] = any ? std::max(hi[k], static_cast<double>(p[k])) : p[k];
      }
      any = true;
    }
    double len[3];
    for (int k = 0; k < 3; ++k) {
      origin[k] = lo[k];
      // A zero extent still needs a positive length for the grid.
      len[k] = std::max({hi[k] - lo[k], cutoff, 1.0});
    }
    fine.SetOrthogonalBox(len[0], len[1], len[2]);
    part.SetOrthogonalBox(len[0], len[1], len[2]);
  }
  const int32_t ncF[3] = {fine.nx, fine.ny, fine.nz};
  const double ncFd[3] = {static_cast<double>(ncF[0]), static_cast<double>(ncF[1]), static_cast<double>(ncF[2])};
  // The coarser grid's full walk measures about twice the distances of the cut-off grid's
  // half walk and puts the entries in order; it pays off only where most of the cut-off
  // grid's cells are empty.
  const bool emulate = (part.nx != fine.nx || part.ny != fine.ny || part.nz != fine.nz) &&
                       static_cast<double>(fine.cellTotal) > kSparseCellsPerAtom * n;
  if (!emulate) part = fine;
  const int32_t nc[3] = {part.nx, part.ny, part.nz};
  const int32_t cells = part.cellTotal;
  const CellPartition::UnitMap fineUnits = fine.Units(), partUnits = part.Units();

  // Working data, all released at the end of the build: the working positions (relative to
  // the origin, wrapped in periodic mode) sorted by cell so that a cell's atoms lie side by
  // side, each cell's atoms in ascending index order, and the atom of each slot.
  // x, y, z side by side: a neighbour's coordinates arrive in one cache line. On the
  // coarser grid (a cut-off below the atoms' spacing) the search runs on float copies
  // instead (`lanes`), and works out the exact positions of the pairs they show.
  qv::PodVector<double> sorted;
  qv::PodVector<int32_t> cellOf(static_cast<size_t>(n));
  // Per atom, what locate gave besides the cell: the cut-off-grid code, and whether the
  // position was wrapped. Its exact position can then be worked out again from the frame
  // at little cost (and only the wrapped atoms need locate again).
  qv::PodVector<uint8_t> codeOf(static_cast<size_t>(n));
  qv::PodVector<int32_t> original(static_cast<size_t>(n));
  // Per slot, when the walk runs on the coarser grid with doubles: the atom's cut-off-grid
  // cell coordinates modulo 4, two bits each (x lowest), which tell the step between two
  // bonded atoms' cells on that grid.
  qv::PodVector<uint8_t> fineCode;
  // The float copies of the working positions by slot, one array per axis (see ScanLanes),
  // padded for whole loads past the end (two of eight lanes: see the gather).
  constexpr int32_t kLanePad = 16;
  const size_t stride = static_cast<size_t>(n) + kLanePad;
  qv::PodVector<float> lanes;
  // Per slot, for atoms listed in no spatial order: what works out the exact position
  // without fetching from far away in the frame.
  struct SlotRecord {
    float p[3];      // the frame's position
    int8_t wrap[3];  // as wraps
    uint8_t code;    // as codeOf
  };
  qv::PodVector<SlotRecord> records;
  std::vector<int32_t> cellStart(static_cast<size_t>(cells) + 1, 0);

  // Working position, cell coordinates and cell of atom i (and its cut-off-grid code, with
  // kWrapped set when the position was brought into the box); -1 for an atom that cannot be
  // placed. The wrap is always the cut-off grid's, so both grids see the very same working
  // positions.
  constexpr uint8_t kWrapped = 0x80;
  // Per atom and axis, the whole box vectors locate took off; kFarWrap where that does not
  // fit, and locate runs again. Held only while the search runs on the float copies, for
  // atoms listed in space order.
  constexpr int8_t kFarWrap = std::numeric_limits<int8_t>::min();
  qv::PodVector<int8_t> wraps;
  auto locate = [&](int32_t i, double w[3], int32_t c[3], uint8_t& code, int8_t* wrap = nullptr)
                    __attribute__((always_inline)) -> int32_t {
    const float* p = pos + 3 * static_cast<size_t>(i);
    w[0] = static_cast<double>(p[0]) - origin[0];
    w[1] = static_cast<double>(p[1]) - origin[1];
    w[2] = static_cast<double>(p[2]) - origin[2];
    double u[3];
    fineUnits.Apply(w, u);
    code = 0;
    if (u[0] >= 0 && u[0] < ncFd[0] && u[1] >= 0 && u[1] < ncFd[1] && u[2] >= 0 && u[2] < ncFd[2]) {
      // Inside the grid, as most atoms are: nothing to wrap or clamp.
      for (int k = 0; k < 3; ++k) c[k] = static_cast<int32_t>(u[k]);
    } else {
      if (wrap) wrap[0] = wrap[1] = wrap[2] = 0;
      for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(u[k])) return -1;
        if (images && !(u[k] >= 0 && u[k] < ncF[k])) {
          code = kWrapped;
          // Whole box vectors: an atom any distance outside comes back inside.
          const double m = std::floor(u[k] / ncF[k]);
          if (wrap) wrap[k] = std::fabs(m) < 128 ? static_cast<int8_t>(m) : kFarWrap;
          for (int d = 0; d < 3; ++d) w[d] -= m * fine.box[k][d];
          u[k] -= m * ncF[k];
        }
        // Clamped first, the truncation is the floor (and no library call).
        c[k] = static_cast<int32_t>(std::min(std::max(u[k], 0.0), static_cast<double>(ncF[k] - 1)));
      }
    }
    if (!std::isfinite(w[0]) || !std::isfinite(w[1]) || !std::isfinite(w[2])) return -1;
    if (emulate) {
      code |= static_cast<uint8_t>((c[0] & 3) | (c[1] & 3) << 2 | (c[2] & 3) << 4);
      partUnits.Apply(w, u);
      for (int k = 0; k < 3; ++k) {
        if (!std::isfinite(u[k])) return -1;
        c[k] = static_cast<int32_t>(std::min(std::max(u[k], 0.0), static_cast<double>(nc[k] - 1)));
      }
    }
    return (c[2] * nc[1] + c[1]) * nc[0] + c[0];
  };
  auto partBegin = [&](int32_t total, size_t k) {
    return static_cast<int32_t>(static_cast<int64_t>(total) * static_cast<int64_t>(k) / team);
  };
  // Runs body(from, to, thread) over [0, total) in pieces taken by whichever thread is free,
  // so that a thread slowed by other work on the machine takes fewer; `thread` (0 for the
  // caller) picks the thread's own count array.
  const size_t pieces = team > 1 ? 32 : 1;
  auto pieceBegin = [&](int32_t total, size_t k) {
    return static_cast<int32_t>(static_cast<int64_t>(total) * static_cast<int64_t>(k) / static_cast<int64_t>(pieces));
  };
  auto forPieces = [&](int32_t total, auto&& body) {
    const std::thread::id caller = std::this_thread::get_id();
    qv::RunParallel(team, pieces, [&](size_t k) {
      body(pieceBegin(total, k), pieceBegin(total, k + 1), std::this_thread::get_id() == caller ? 0 : 1);
    });
  };

  // Each atom's cell, and for the order check how often consecutive placed atoms lie in
  // cells that are not adjacent; the parts' seams are counted after.
  struct OrderTally {
    int32_t far = 0, pairs = 0;
    bool any = false;
    int32_t first[3] = {0, 0, 0}, last[3] = {0, 0, 0};
    double magnitude = 0;  // the largest working coordinate
  };
  auto tallyCell = [](OrderTally& t, const int32_t c[3]) __attribute__((always_inline)) {
    if (t.any) {
      ++t.pairs;
      if (FarCells(t.last, c)) ++t.far;
    } else {
      std::copy(c, c + 3, t.first);
      t.any = true;
    }
    std::copy(c, c + 3, t.last);
  };
  auto placeOne = [&](int32_t i, OrderTally& t) __attribute__((always_inline)) {
    double w[3];
    int32_t c[3];
    uint8_t code = 0;
    const int32_t cell = locate(i, w, c, code);
    cellOf[i] = cell;
    if (cell < 0) return;
    codeOf[i] = code;
    t.magnitude = std::max({t.magnitude, std::fabs(w[0]), std::fabs(w[1]), std::fabs(w[2])});
    tallyCell(t, c);
  };
#if defined(__x86_64__) && defined(__GNUC__)
  const bool wideLanes = WideLanesAllowed() && __builtin_cpu_supports("avx2");
  // Four atoms at a time where the processor has AVX2, for runs of atoms inside the grid;
  // any other atom goes through locate. Each lane does locate's operations in its order,
  // so the cells and codes are the same.
  auto placeWide = [&](int32_t from, int32_t end, OrderTally& t) __attribute__((target("avx2"))) {
    const __m256d o[3] = {_mm256_set1_pd(origin[0]), _mm256_set1_pd(origin[1]), _mm256_set1_pd(origin[2])};
    const __m256d zero = _mm256_setzero_pd();
    const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
    const __m256d infinity = _mm256_set1_pd(std::numeric_limits<double>::infinity());
    const __m256d fineEnd[3] = {_mm256_set1_pd(ncFd[0]), _mm256_set1_pd(ncFd[1]), _mm256_set1_pd(ncFd[2])};
    const __m256d partLast[3] = {_mm256_set1_pd(nc[0] - 1), _mm256_set1_pd(nc[1] - 1), _mm256_set1_pd(nc[2] - 1)};
    const __m128i three = _mm_set1_epi32(3);
    const __m128i ncx = _mm_set1_epi32(nc[0]), ncy = _mm_set1_epi32(nc[1]);
    auto apply = [](const CellPartition::UnitMap& m, const __m256d w[3], __m256d u[3])
                     __attribute__((always_inline, target("avx2"))) {
      if (m.orthogonal) {
        for (int k = 0; k < 3; ++k) u[k] = _mm256_mul_pd(_mm256_set1_pd(m.scale[k]), w[k]);
        return;
      }
      for (int k = 0; k < 3; ++k)
        u[k] = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(w[0], _mm256_set1_pd(m.rows[0][k])),
                                           _mm256_mul_pd(w[1], _mm256_set1_pd(m.rows[1][k]))),
                             _mm256_mul_pd(w[2], _mm256_set1_pd(m.rows[2][k])));
    };
    int32_t i = from;
    while (i < end) {
      if (i + 4 > end) {
        placeOne(i++, t);
        continue;
      }
      const float* p = pos + 3 * static_cast<size_t>(i);
      __m256d w[3], u[3];
      for (int k = 0; k < 3; ++k)
        w[k] = _mm256_sub_pd(_mm256_cvtps_pd(_mm_setr_ps(p[k], p[3 + k], p[6 + k], p[9 + k])), o[k]);
      apply(fineUnits, w, u);
      __m256d inside = _mm256_and_pd(_mm256_cmp_pd(u[0], zero, _CMP_GE_OQ), _mm256_cmp_pd(u[0], fineEnd[0], _CMP_LT_OQ));
      for (int k = 1; k < 3; ++k)
        inside = _mm256_and_pd(inside, _mm256_and_pd(_mm256_cmp_pd(u[k], zero, _CMP_GE_OQ),
                                                     _mm256_cmp_pd(u[k], fineEnd[k], _CMP_LT_OQ)));
      if (_mm256_movemask_pd(inside) != 0xf) {
        placeOne(i++, t);
        continue;
      }
      __m128i c[3] = {_mm256_cvttpd_epi32(u[0]), _mm256_cvttpd_epi32(u[1]), _mm256_cvttpd_epi32(u[2])};
      __m128i code = _mm_setzero_si128();
      if (emulate) {
        code = _mm_or_si128(_mm_and_si128(c[0], three),
                            _mm_or_si128(_mm_slli_epi32(_mm_and_si128(c[1], three), 2),
                                         _mm_slli_epi32(_mm_and_si128(c[2], three), 4)));
        apply(partUnits, w, u);
        __m256d finite = _mm256_cmp_pd(_mm256_and_pd(u[0], absMask), infinity, _CMP_LT_OQ);
        for (int k = 1; k < 3; ++k)
          finite = _mm256_and_pd(finite, _mm256_cmp_pd(_mm256_and_pd(u[k], absMask), infinity, _CMP_LT_OQ));
        if (_mm256_movemask_pd(finite) != 0xf) {
          placeOne(i++, t);
          continue;
        }
        for (int k = 0; k < 3; ++k) c[k] = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(u[k], zero), partLast[k]));
      }
      const __m128i cell = _mm_add_epi32(_mm_mullo_epi32(_mm_add_epi32(_mm_mullo_epi32(c[2], ncy), c[1]), ncx), c[0]);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(cellOf.data() + i), cell);
      alignas(16) int32_t cx[4], cy[4], cz[4], codes[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(cx), c[0]);
      _mm_store_si128(reinterpret_cast<__m128i*>(cy), c[1]);
      _mm_store_si128(reinterpret_cast<__m128i*>(cz), c[2]);
      _mm_store_si128(reinterpret_cast<__m128i*>(codes), code);
      __m256d largest = _mm256_max_pd(_mm256_max_pd(_mm256_and_pd(w[0], absMask), _mm256_and_pd(w[1], absMask)),
                                      _mm256_and_pd(w[2], absMask));
      alignas(32) double lanesLargest[4];
      _mm256_store_pd(lanesLargest, largest);
      for (int l = 0; l < 4; ++l) {
        codeOf[i + l] = static_cast<uint8_t>(codes[l]);
        t.magnitude = std::max(t.magnitude, lanesLargest[l]);
        const int32_t at[3] = {cx[l], cy[l], cz[l]};
        tallyCell(t, at);
      }
      i += 4;
    }
  };
#else
  constexpr bool wideLanes = false;
#endif
  std::vector<OrderTally> tally(pieces);
  qv::RunParallel(team, pieces, [&](size_t k) {
    OrderTally t;
    const int32_t from = pieceBegin(n, k), end = pieceBegin(n, k + 1);
    Prefault(cellOf.data() + from, static_cast<size_t>(end - from) * sizeof(int32_t));
    Prefault(codeOf.data() + from, static_cast<size_t>(end - from));
#if defined(__x86_64__) && defined(__GNUC__)
    if (wideLanes) {
      placeWide(from, end, t);
      tally[k] = t;
      return;
    }
#endif
    for (int32_t i = from; i < end; ++i) placeOne(i, t);
    tally[k] = t;
  });
  int32_t far = 0, pairs = 0;
  const OrderTally* before = nullptr;
  for (const OrderTally& t : tally) {
    far += t.far;
    pairs += t.pairs;
    if (!t.any) continue;
    if (before) {
      ++pairs;
      if (FarCells(before->last, t.first)) ++far;
    }
    before = &t;
  }
  // Atoms listed roughly in space order (as a lattice or a freshly built structure is):
  // most consecutive atoms lie in the same or adjacent cells.
  const bool byCell = walk == BondWalk::kAuto ? far * 8 > pairs : walk == BondWalk::kByCell;

  for (int32_t i = 0; i < n; ++i)
    if (cellOf[i] >= 0) ++cellStart[static_cast<size_t>(cellOf[i]) + 1];
  for (int32_t c = 0; c < cells; ++c) cellStart[c + 1] += cellStart[c];
  const int32_t placed = cellStart[cells];
  // The parts of the grid the threads fill and walk: runs of whole cells with about the
  // same number of atoms.
  std::vector<int32_t> cellCut(static_cast<size_t>(team) + 1, cells);
  for (int k = 0; k < team; ++k)
    cellCut[k] = static_cast<int32_t>(std::lower_bound(cellStart.begin(), cellStart.end() - 1, partBegin(placed, k)) -
                                      cellStart.begin());
  cellCut[0] = 0;
  // Each part's first slot, read before the parts' counters move.
  std::vector<size_t> slotCut(static_cast<size_t>(team) + 1);
  for (int k = 0; k <= team; ++k) slotCut[k] = static_cast<size_t>(cellStart[cellCut[k]]);
  // The exact working position of placed atom i from its frame position p, code and
  // wraps (m, or null), as locate gives it: the same operations in the same order.
  auto exactFrom = [&](int32_t i, const float* p, uint8_t code, const int8_t* m, double w[3])
                       __attribute__((always_inline)) {
    const bool wrapped = code & kWrapped;
    if (wrapped && (!m || m[0] == kFarWrap || m[1] == kFarWrap || m[2] == kFarWrap)) {
      int32_t c[3];
      uint8_t again;
      locate(i, w, c, again);
      return;
    }
    w[0] = static_cast<double>(p[0]) - origin[0];
    w[1] = static_cast<double>(p[1]) - origin[1];
    w[2] = static_cast<double>(p[2]) - origin[2];
    if (!wrapped) return;
    for (int k = 0; k < 3; ++k)
      if (m[k] != 0)
        for (int d = 0; d < 3; ++d) w[d] -= static_cast<double>(m[k]) * fine.box[k][d];
  };
  auto exactPosition = [&](int32_t i, double w[3]) {
    exactFrom(i, pos + 3 * static_cast<size_t>(i), codeOf[i], wraps.empty() ? nullptr : &wraps[3 * static_cast<size_t>(i)],
              w);
  };
  double shiftMagnitude = 0;
  for (const auto& shift : part.imageShift)
    for (double v : shift) shiftMagnitude = std::max(shiftMagnitude, std::fabs(v));
  double magnitude = 0;
  for (const OrderTally& t : tally) magnitude = std::max(magnitude, t.magnitude);
  // The largest value a float copy or a shifted one in the search holds, near enough.
  const double lanesMagnitude = magnitude + shiftMagnitude;
  // Far beyond any box, floats would overflow: there the doubles are made after all.
  const bool floatPath = emulate && lanesMagnitude < 1e30;
  if (floatPath) {
    lanes.resize(3 * stride);
    if (byCell)
      records.resize(static_cast<size_t>(n));
    else if (images)
      wraps.resize(3 * static_cast<size_t>(n));  // written for the wrapped atoms only
  } else {
    sorted.resize(3 * static_cast<size_t>(n));
    if (emulate) fineCode.resize(static_cast<size_t>(n));
  }
  // With the origin at zero, the working position of an atom that was not wrapped is its
  // frame position.
  const bool zeroOrigin = origin[0] == 0 && origin[1] == 0 && origin[2] == 0;
  qv::RunParallel(team, static_cast<size_t>(team), [&](size_t k) {
    const int32_t lo = cellCut[k], hi = cellCut[k + 1];
    const size_t first = slotCut[k], slots = slotCut[k + 1] - first;
    float* const lx = lanes.data();
    float* const ly = lx + stride;
    float* const lz = ly + stride;
    if (!records.empty()) {
      Prefault(records.data() + first, slots * sizeof(SlotRecord));
    } else if (floatPath) {
      for (float* l : {lx, ly, lz}) Prefault(l + first, slots * sizeof(float));
    } else {
      Prefault(sorted.data() + 3 * first, 3 * slots * sizeof(double));
      if (emulate) Prefault(fineCode.data() + first, slots);
    }
    Prefault(original.data() + first, slots * sizeof(int32_t));
    // Plain pointers: the stores below cannot then be taken to change the arrays' places.
    const int32_t* const cellOfAtom = cellOf.data();
    int32_t* const next = cellStart.data();
    int32_t* const atomOf = original.data();
    const uint8_t* const codes = codeOf.data();
    // body(i, s, frame position, code) for each atom of this part, in index order.
    auto each = [&](auto&& body) __attribute__((always_inline)) {
      for (int32_t i = 0; i < n; ++i) {
        const int32_t cell = cellOfAtom[i];
        if (cell < lo || cell >= hi) continue;
        const int32_t s = next[cell]++;
        atomOf[s] = i;
        body(i, s, pos + 3 * static_cast<size_t>(i), codes[i]);
      }
    };
    // Where the search needs the wraps again: the slot's record, or the atom's own.
    int8_t* const wrapOf = wraps.empty() ? nullptr : wraps.data();
    auto working = [&](int32_t i, const float* p, uint8_t code, int8_t* wrap, double w[3])
                       __attribute__((always_inline)) {
      if (code & kWrapped) {
        int32_t c[3];
        uint8_t again;
        locate(i, w, c, again, wrap);
      } else {
        exactFrom(i, p, code, nullptr, w);
      }
    };
    if (!records.empty()) {
      // The float copies follow from the records, in slot order.
      SlotRecord* const record = records.data();
      each([&](int32_t i, int32_t s, const float* p, uint8_t code) {
        SlotRecord& r = record[s];
        std::copy(p, p + 3, r.p);
        r.code = code;
        if (code & kWrapped) {
          double w[3];
          int32_t c[3];
          uint8_t again;
          locate(i, w, c, again, r.wrap);
        }
      });
    } else if (floatPath) {
      each([&](int32_t i, int32_t s, const float* p, uint8_t code) {
        if (zeroOrigin && !(code & kWrapped)) {
          lx[s] = p[0];
          ly[s] = p[1];
          lz[s] = p[2];
          return;
        }
        double w[3];
        working(i, p, code, wrapOf ? wrapOf + 3 * static_cast<size_t>(i) : nullptr, w);
        lx[s] = static_cast<float>(w[0]);
        ly[s] = static_cast<float>(w[1]);
        lz[s] = static_cast<float>(w[2]);
      });
    } else {
      double* const q = sorted.data();
      uint8_t* const fine = fineCode.data();
      each([&](int32_t i, int32_t s, const float* p, uint8_t code) {
        double w[3];
        working(i, p, code, nullptr, w);
        std::copy(w, w + 3, q + 3 * static_cast<size_t>(s));
        if (emulate) fine[s] = static_cast<uint8_t>(code & ~kWrapped);
      });
    }
  });
  for (int32_t c = cells; c > 0; --c) cellStart[c] = cellStart[c - 1];
  cellStart[0] = 0;
  if (!records.empty()) {
    forPieces(placed, [&](int32_t from, int32_t to, int) {
      for (float* l : {lanes.data(), lanes.data() + stride, lanes.data() + 2 * stride})
        Prefault(l + from, static_cast<size_t>(to - from) * sizeof(float));
      for (int32_t s = from; s < to; ++s) {
        const SlotRecord& r = records[s];
        double w[3];
        exactFrom(original[s], r.p, r.code, r.wrap, w);
        for (int k = 0; k < 3; ++k) lanes[k * stride + static_cast<size_t>(s)] = static_cast<float>(w[k]);
      }
    });
  }
  for (int k = 0; k < 3 && floatPath; ++k)
    std::fill(lanes.data() + k * stride + placed, lanes.data() + (k + 1) * stride, 0.0f);
  // What the working arrays hold at a time.
  auto liveBytes = [&] {
    return sorted.size() * sizeof(double) + lanes.size() * sizeof(float) + records.size() * sizeof(SlotRecord) +
           fineCode.size() + (cellOf.size() + original.size() + cellStart.size()) * sizeof(int32_t) + codeOf.size() +
           wraps.size();
  };
  const size_t scatterBytes = liveBytes();
  if (!floatPath || !records.empty()) {
    // What the rest of the build needs per atom is in the slots now.
    codeOf = qv::PodVector<uint8_t>();
    wraps = qv::PodVector<int8_t>();
  }
  if (!records.empty()) cellOf = qv::PodVector<int32_t>();
  const double rc2 = cutoff * cutoff;
  const double* const P = sorted.data();
  const int32_t* orig = original.data();
  const int32_t* start = cellStart.data();
  // The exact working position and the code of the atom at slot s, on the float path.
  auto exactSlot = [&](int32_t s, double w[3]) {
    if (records.empty()) return exactPosition(orig[s], w);
    const SlotRecord& r = records[s];
    exactFrom(orig[s], r.p, r.code, r.wrap, w);
  };
  auto codeOfSlot = [&](int32_t s) -> int { return (records.empty() ? codeOf[orig[s]] : records[s].code) & ~kWrapped; };

  // Calls hit(t, dx, dy, dz) for every atom or image within the cut-off that the half list
  // holds under the atom at slot s (in cell `cell`): those in the 13 cells visited before
  // the centre, then the lower-indexed atoms of the centre cell, in that order. (dx, dy,
  // dz) points from the atom to the neighbour's image.
  const double width[3] = {part.CellWidth(0), part.CellWidth(1), part.CellWidth(2)};
  // Beyond rounding: a face this far away is surely beyond the cut-off.
  const double faceReach = cutoff + 1e-9 * (cutoff + std::max({width[0] * nc[0], width[1] * nc[1], width[2] * nc[2]}));
  const double faceReach2 = faceReach * faceReach;
  constexpr double kFar = std::numeric_limits<double>::infinity();
  // The cell coordinates of the atom at slot s (in cell `cell`) from its position, which
  // spares three integer divisions; an atom wrapped into the box may round to the next cell,
  // and then they come from the index. u receives the position in cell units.
  auto coordinatesOf = [&](const double* ps, int32_t cell, double u[3], int32_t c[3]) {
    partUnits.Apply(ps, u);
    for (int k = 0; k < 3; ++k) c[k] = static_cast<int32_t>(std::min(std::max(u[k], 0.0), static_cast<double>(nc[k] - 1)));
    if ((c[2] * nc[1] + c[1]) * nc[0] + c[0] != cell) {
      c[0] = cell % nc[0];
      c[1] = (cell / nc[0]) % nc[1];
      c[2] = cell / (nc[0] * nc[1]);
    }
  };
  // Per axis and step (-1, 0, +1 stored as 0, 1, 2) from the cell at coordinates c: the cell
  // coordinate reached (-1: no such cell) and its image digit.
  auto neighbourSteps = [&](const int32_t c[3], int32_t reach[3][3], int digit[3][3]) {
    for (int k = 0; k < 3; ++k) {
      const bool low = c[k] == 0, high = c[k] == nc[k] - 1;
      reach[k][0] = low ? (images ? nc[k] - 1 : -1) : c[k] - 1;
      digit[k][0] = low ? 2 : 0;
      reach[k][1] = c[k];
      digit[k][1] = 0;
      reach[k][2] = high ? (images ? 0 : -1) : c[k] + 1;
      digit[k][2] = high ? 1 : 0;
    }
  };
  auto visitHalf = [&](int32_t s, int32_t cell, auto&& hit) {
    const double* ps = P + 3 * static_cast<size_t>(s);
    double u[3];
    int32_t c[3];
    coordinatesOf(ps, cell, u, c);
    int32_t reach[3][3];
    int digit[3][3];
    neighbourSteps(c, reach, digit);
    const double xi = ps[0], yi = ps[1], zi = ps[2];
    // Per axis and step: how far the atom lies from that side's face, squared. A cell
    // farther from the atom than the cut-off holds none of its bonds and is skipped, which
    // leaves the order of the rest as it was; a short cut-off in populated cells skips most.
    // In an orthogonal grid a cell's distance is that of its faces added up squared; in a
    // sheared one the faces are not at right angles, and a cell only counts as far when one
    // face alone is.
    double gap[3][3];
    for (int k = 0; k < 3; ++k) {
      const double low = std::max(0.0, (u[k] - c[k]) * width[k]), high = std::max(0.0, (c[k] + 1 - u[k]) * width[k]);
      gap[k][0] = part.orthogonal ? low * low : (low <= faceReach ? 0.0 : kFar);
      gap[k][1] = 0.0;
      gap[k][2] = part.orthogonal ? high * high : (high <= faceReach ? 0.0 : kFar);
    }
    auto scan = [&](int32_t from, int32_t to, double qx, double qy, double qz) {
      ScanSlots(P, from, to, qx, qy, qz, rc2, hit);
    };
    if (c[0] > 0 && c[0] < nc[0] - 1) {
      // Away from the x faces the three cells of a row (x steps -1, 0, +1) lie side by side
      // in memory with one image shift: one scan per row visits them in the same order.
      for (int row = 0; row < 13; row += 3) {
        const int* step = kHalfSteps[row];
        const int32_t ry = reach[1][step[1]], rz = reach[2][step[2]];
        const double rowGap = gap[1][step[1]] + gap[2][step[2]];
        if (ry < 0 || rz < 0 || rowGap > faceReach2) continue;
        const int32_t k = (rz * nc[1] + ry) * nc[0] + c[0] - 1;
        const double* shift = part.imageShift[CellPartition::ImageIndex(0, digit[1][step[1]], digit[2][step[2]])];
        // The last row is the centre's: the cell before it, then the centre up to the atom.
        const int32_t from = rowGap + gap[0][0] <= faceReach2 ? start[k] : start[k + 1];
        const int32_t to = row == 12 ? s : start[rowGap + gap[0][2] <= faceReach2 ? k + 3 : k + 2];
        scan(from, to, xi - shift[0], yi - shift[1], zi - shift[2]);
      }
      return;
    }
    for (const auto& step : kHalfSteps) {
      const int32_t rx = reach[0][step[0]], ry = reach[1][step[1]], rz = reach[2][step[2]];
      if (rx < 0 || ry < 0 || rz < 0 || gap[0][step[0]] + gap[1][step[1]] + gap[2][step[2]] > faceReach2) continue;
      const int32_t k = (rz * nc[1] + ry) * nc[0] + rx;
      const double* shift =
          part.imageShift[CellPartition::ImageIndex(digit[0][step[0]], digit[1][step[1]], digit[2][step[2]])];
      scan(start[k], start[k + 1], xi - shift[0], yi - shift[1], zi - shift[2]);
    }
    scan(start[cell], s, xi, yi, zi);
  };

  // On the coarser grid: every atom or image within the cut-off in all 27 neighbour cells,
  // of which hit(t, dx, dy, dz) receives those the cut-off grid lists under the atom at
  // slot s, in that grid's order. Per axis the cut-off grid steps from the atom's cell to
  // the neighbour's by the difference of their coordinates, plus or minus the count
  // through a face (the image digit says which). A bonded pair's difference is -1, 0 or +1
  // (cells are a cut-off thick), which modulo 4 tells apart, also on an axis of one or two
  // cells, where the image digit alone parts the steps that reach the same cell; 2 is a
  // pair that grid never meets (its own image across two faces, or a distance rounded
  // across two faces). The step ranks as the cut-off grid visits it: the 13 steps before its centre,
  // then the centre cell's lower-indexed atoms. `buf` holds the atom's kept entries while
  // they are put in order.
  struct Kept {
    uint64_t key;  // rank, then neighbour index
    int32_t t;
    double dx, dy, dz;
  };
  // The cut-off grid's step plus one, by the difference of its cell coordinates modulo 4;
  // -1 for a difference of 2.
  static constexpr int kStepOf[4] = {1, 2, -1, 0};
  auto visitFull = [&](int32_t s, int32_t cell, std::vector<Kept>& buf, auto&& hit) {
    const double* ps = P + 3 * static_cast<size_t>(s);
    double u[3];
    int32_t c[3];
    coordinatesOf(ps, cell, u, c);
    const int ownCode = fineCode[s];
    const int32_t i = orig[s];
    // Per axis and coarse step: the cell reached (-1: none), its image digit, how far the
    // atom lies from that side's face (squared, or infinite for a sheared grid's far face)
    // and what turns the neighbour's cut-off-grid coordinate into the step there (mod 4).
    int32_t reach[3][3];
    int digit[3][3], lift[3][3];
    double gap[3][3];
    neighbourSteps(c, reach, digit);
    for (int k = 0; k < 3; ++k) {
      const bool low = c[k] == 0, high = c[k] == nc[k] - 1;
      const int own = ownCode >> (2 * k) & 3;
      lift[k][0] = ((low ? -ncF[k] : 0) - own) & 3;
      lift[k][1] = -own & 3;
      lift[k][2] = ((high ? ncF[k] : 0) - own) & 3;
      const double below = std::max(0.0, (u[k] - c[k]) * width[k]), above = std::max(0.0, (c[k] + 1 - u[k]) * width[k]);
      gap[k][0] = part.orthogonal ? below * below : (below <= faceReach ? 0.0 : kFar);
      gap[k][1] = 0.0;
      gap[k][2] = part.orthogonal ? above * above : (above <= faceReach ? 0.0 : kFar);
    }
    buf.clear();
    // `self`: the atom's own slot where the scan has no shift, else -1 (its images count).
    auto scan = [&](int32_t from, int32_t to, int32_t self, const double* shift, int liftX, int liftY, int liftZ) {
      const double qx = ps[0] - shift[0], qy = ps[1] - shift[1], qz = ps[2] - shift[2];
      ScanSlots(P, from, to, qx, qy, qz, rc2, [&](int32_t t, double dx, double dy, double dz) {
        if (t == self) return;
        const int code = fineCode[t];
        const int sx = kStepOf[(code + liftX) & 3], sy = kStepOf[((code >> 2) + liftY) & 3],
                  sz = kStepOf[((code >> 4) + liftZ) & 3];
        if ((sx | sy | sz) < 0) return;
        const int rank = 9 * sz + 3 * sy + sx;
        const int32_t j = orig[t];
        if (rank > 13 || (rank == 13 && j >= i)) return;
        const uint64_t key = static_cast<uint64_t>(rank) << 32 | static_cast<uint32_t>(j);
        buf.push_back(Kept{key, t, dx, dy, dz});
        size_t e = buf.size() - 1;
        for (; e > 0 && buf[e - 1].key > key; --e) buf[e] = buf[e - 1];
        buf[e] = Kept{key, t, dx, dy, dz};
      });
    };
    const bool inner = c[0] > 0 && c[0] < nc[0] - 1;
    for (int sz = 0; sz < 3; ++sz) {
      for (int sy = 0; sy < 3; ++sy) {
        const int32_t ry = reach[1][sy], rz = reach[2][sz];
        const double rowGap = gap[1][sy] + gap[2][sz];
        if (ry < 0 || rz < 0 || rowGap > faceReach2) continue;
        const int32_t row = (rz * nc[1] + ry) * nc[0];
        if (inner) {
          // Away from the x faces a row's three cells lie side by side with one shift.
          const double* shift = part.imageShift[CellPartition::ImageIndex(0, digit[1][sy], digit[2][sz])];
          const int32_t k = row + c[0] - 1;
          const int32_t from = rowGap + gap[0][0] <= faceReach2 ? start[k] : start[k + 1];
          const int32_t to = start[rowGap + gap[0][2] <= faceReach2 ? k + 3 : k + 2];
          scan(from, to, sy == 1 && sz == 1 ? s : -1, shift, lift[0][1], lift[1][sy], lift[2][sz]);
          continue;
        }
        for (int sx = 0; sx < 3; ++sx) {
          const int32_t rx = reach[0][sx];
          if (rx < 0 || rowGap + gap[0][sx] > faceReach2) continue;
          const double* shift = part.imageShift[CellPartition::ImageIndex(digit[0][sx], digit[1][sy], digit[2][sz])];
          scan(start[row + rx], start[row + rx + 1], sx == 1 && sy == 1 && sz == 1 ? s : -1, shift, lift[0][sx],
               lift[1][sy], lift[2][sz]);
        }
      }
    }
    for (const Kept& e : buf) hit(e.t, e.dx, e.dy, e.dz);
  };
  // The list's entries under the atom at slot s, in the cut-off grid's order.
  auto visit = [&](int32_t s, int32_t cell, std::vector<Kept>& buf, auto&& hit) {
    if (emulate)
      visitFull(s, cell, buf, hit);
    else
      visitHalf(s, cell, hit);
  };

  // On the coarser grid (a cut-off below the atoms' spacing) the list is found with the
  // half stencil, which meets every pair once instead of twice: emit(owner, other, rank, dx,
  // dy, dz) receives each entry of the cut-off grid's list that the pairs found from slot s
  // make, under whichever of the two atoms that list files it, with the vector and the
  // distance test worked out from the owner's side as its own walk would. The stencil's
  // test is looser by the rounding margin, so that no pair within the cut-off from the
  // owner's side is missed.
  static constexpr int kBackDigit[3] = {0, 2, 1};
  // The entry, if any, that the pair of slots s and t (exact positions ps and pt; t's image
  // `image`, reached at (dx, dy, dz) from s) makes in the cut-off grid's list.
  auto ownedEntry = [&](int32_t s, int32_t t, const double ps[3], const double pt[3], double dx, double dy,
                        double dz, int image, auto&& emit) {
    const int32_t i = orig[s];
    const int32_t j = orig[t];
    const int own = codeOfSlot(s);
    const int code = codeOfSlot(t);
    const int digits[3] = {image % 3, image / 3 % 3, image / 9};
    int step[3];
    for (int k = 0; k < 3; ++k) {
      const int wrap = digits[k] == 2 ? -ncF[k] : digits[k] == 1 ? ncF[k] : 0;
      step[k] = kStepOf[((code >> (2 * k)) - (own >> (2 * k)) + wrap) & 3];
    }
    if ((step[0] | step[1] | step[2]) < 0) return;
    const int rank = 9 * step[2] + 3 * step[1] + step[0];
    if (rank < 13 || (rank == 13 && j < i)) {
      if (dx * dx + dy * dy + dz * dz <= rc2) emit(i, j, rank, dx, dy, dz);
      return;
    }
    const int backRank = 26 - rank;  // the step back, from the neighbour
    if (!(backRank < 13 || (backRank == 13 && i < j))) return;
    const double* back =
        part.imageShift[CellPartition::ImageIndex(kBackDigit[digits[0]], kBackDigit[digits[1]], kBackDigit[digits[2]])];
    const double qx = pt[0] - back[0], qy = pt[1] - back[1], qz = pt[2] - back[2];
    const double bx = ps[0] - qx, by = ps[1] - qy, bz = ps[2] - qz;
    if (bx * bx + by * by + bz * bz <= rc2) emit(j, i, backRank, bx, by, bz);
  };
  // The float copies by axis and the float test that no pair within faceReach fails.
  const float* const laneX = lanes.data();
  const float* const laneY = laneX + stride;
  const float* const laneZ = laneY + stride;
  float laneLimit2 = 0;
  // The pairs visitHalf meets from the slots of a cell (coordinates c), all slots at once:
  // hit(s, t, dx, dy, dz, image) for each pair within faceReach, with the same vector, in
  // another order. Without the faces' pruning it measures more distances, but the set-up is
  // paid once per cell: the neighbour cells' float positions, shifted to their images, are
  // gathered once into `near` (the cell's own last), and each atom scans them in one run.
  // Loads and stores run up to kLanePad - 1 values past a range: the copies and `near` are
  // padded.
  struct NearCells {
    qv::PodVector<float> x, y, z;
  };
  float floatShift[27][3];
  for (int m = 0; m < 27; ++m)
    for (int k = 0; k < 3; ++k) floatShift[m][k] = static_cast<float>(part.imageShift[m][k]);
  // The ranges of slots a cell's atoms scan, the cell's own last: (from, to, image, where
  // the range starts in `near`), and after the last the end of `near`. A range holds a few
  // atoms, so a pair the float test passes finds its slot and image among them, rather than
  // every gathered value carrying its own.
  using NearRanges = int32_t[15][4];
  // For a row of cells (the same y and z): the first cell of each row the half stencil
  // reaches besides the centre's (-1: none) and its image. Away from the x faces a cell's
  // ranges follow from it at the cost of a few loads.
  struct RowPlan {
    int32_t base[4];
    int image[4];
  };
  auto rowPlan = [&](const int32_t c[3], RowPlan& plan) {
    int32_t reach[3][3];
    int digit[3][3];
    neighbourSteps(c, reach, digit);
    for (int r = 0; r < 4; ++r) {
      const int* step = kHalfSteps[3 * r];
      const int32_t ry = reach[1][step[1]], rz = reach[2][step[2]];
      plan.base[r] = ry < 0 || rz < 0 ? -1 : (rz * nc[1] + ry) * nc[0];
      plan.image[r] = CellPartition::ImageIndex(0, digit[1][step[1]], digit[2][step[2]]);
    }
  };
  // Fills the ranges of the cell at coordinates c (in the row of `plan`); returns how many.
  auto nearRanges = [&](int32_t cell, const int32_t c[3], const RowPlan& plan, NearRanges& ranges) -> int {
    int count = 0;
    int32_t at = 0;
    auto range = [&](int32_t from, int32_t to, int image) {
      if (from >= to) return;
      ranges[count][0] = from;
      ranges[count][1] = to;
      ranges[count][2] = image;
      ranges[count][3] = at;
      at += to - from;
      ++count;
    };
    if (c[0] > 0 && c[0] < nc[0] - 1) {
      // A row's three cells (x steps -1, 0, +1) lie side by side with one image shift; in
      // the centre's row the cell before the centre and the centre itself.
      for (int r = 0; r < 4; ++r)
        if (plan.base[r] >= 0) range(start[plan.base[r] + c[0] - 1], start[plan.base[r] + c[0] + 2], plan.image[r]);
      range(start[cell - 1], start[cell + 1], 0);
    } else {
      int32_t reach[3][3];
      int digit[3][3];
      neighbourSteps(c, reach, digit);
      for (int row = 0; row < 13; row += 3) {
        const int* step = kHalfSteps[row];
        const int32_t ry = reach[1][step[1]], rz = reach[2][step[2]];
        if (ry < 0 || rz < 0) continue;
        const int32_t k = (rz * nc[1] + ry) * nc[0];
        for (int sx = 0; sx < (row == 12 ? 1 : 3); ++sx) {
          const int32_t rx = reach[0][sx];
          if (rx >= 0)
            range(start[k + rx], start[k + rx + 1],
                  CellPartition::ImageIndex(digit[0][sx], digit[1][step[1]], digit[2][step[2]]));
        }
      }
      range(start[cell], start[cell + 1], 0);
    }
    ranges[count][3] = at;
    return count;
  };
  // Room in `near` for the ranges' values and the padding; plain pointers to it, so that
  // the gather's stores cannot be taken to change them.
  struct NearView {
    float *x, *y, *z;
  };
  auto nearRoom = [&](NearCells& near, int32_t values) {
    const size_t room = static_cast<size_t>(values) + 2 * kLanePad;
    if (near.x.size() < room) {
      for (auto* v : {&near.x, &near.y, &near.z}) {
        *v = qv::PodVector<float>();
        v->resize(2 * room);
      }
    }
    return NearView{near.x.data(), near.y.data(), near.z.data()};
  };
  // The slot and image of the value at e in `near`.
  auto nearSlot = [](const NearRanges& ranges, int32_t e, int& image) {
    int r = 0;
    while (e >= ranges[r + 1][3]) ++r;
    image = ranges[r][2];
    return ranges[r][0] + (e - ranges[r][3]);
  };
  // After the gather's m values: zeros for the whole loads past them (eight lanes read at
  // most seven past). Returns where the cell's own atoms start.
  auto padNear = [&](float* x, float* y, float* z, size_t m, int32_t cell) {
    for (float* v : {x, y, z}) std::fill(v + m, v + m + 8, 0.0f);
    return static_cast<int32_t>(m) - (start[cell + 1] - start[cell]);
  };
  // As ScanSlots measures it, from the exact positions: the pair of slot s and the image of
  // slot t, if within faceReach.
  auto measure = [&](int32_t s, int32_t t, int image, auto&& hit) {
    double ps[3], pt[3];
    exactSlot(s, ps);
    exactSlot(t, pt);
    const double* shift = part.imageShift[image];
    const double qx = ps[0] - shift[0], qy = ps[1] - shift[1], qz = ps[2] - shift[2];
    const double dx = pt[0] - qx, dy = pt[1] - qy, dz = pt[2] - qz;
    if (dx * dx + dy * dy + dz * dz <= faceReach2) hit(s, t, ps, pt, dx, dy, dz, image);
  };
  auto visitCellHalf = [&](int32_t cell, const NearRanges& ranges, int count, NearCells& near, auto&& hit) {
    const int32_t first = start[cell], last = start[cell + 1];
    const NearView v = nearRoom(near, ranges[count][3]);
    float *const nx = v.x, *const ny = v.y, *const nz = v.z;
    const float *const lx = laneX, *const ly = laneY, *const lz = laneZ;
    size_t m = 0;
    for (int r = 0; r < count; ++r) {
      const int32_t from = ranges[r][0], length = ranges[r][1] - from;
      const float* shift = floatShift[ranges[r][2]];
#if defined(__SSE2__)
      // Four at a time: the next range, or the padding, overwrites what is written past this.
      const __m128 vx = _mm_set1_ps(shift[0]), vy = _mm_set1_ps(shift[1]), vz = _mm_set1_ps(shift[2]);
      for (int32_t e = 0; e < length; e += 4) {
        _mm_storeu_ps(nx + m + e, _mm_add_ps(_mm_loadu_ps(lx + from + e), vx));
        _mm_storeu_ps(ny + m + e, _mm_add_ps(_mm_loadu_ps(ly + from + e), vy));
        _mm_storeu_ps(nz + m + e, _mm_add_ps(_mm_loadu_ps(lz + from + e), vz));
      }
#else
      for (int32_t e = 0; e < length; ++e) {
        nx[m + e] = lx[from + e] + shift[0];
        ny[m + e] = ly[from + e] + shift[1];
        nz[m + e] = lz[from + e] + shift[2];
      }
#endif
      m += static_cast<size_t>(length);
    }
    const int32_t own = padNear(nx, ny, nz, m, cell);
    for (int32_t s = first; s < last; ++s)
      ScanLanes(nx, ny, nz, 0, own + (s - first), laneX[s], laneY[s], laneZ[s], laneLimit2, [&](int32_t e) {
        int image;
        const int32_t t = nearSlot(ranges, e, image);
        measure(s, t, image, hit);
      });
  };
#if defined(__x86_64__) && defined(__GNUC__)
  // The same with eight lanes, where the processor has them: the gather and the scans take
  // half the steps.
  auto visitCellHalfWide = [&](int32_t cell, const NearRanges& ranges, int count, NearCells& near, auto&& hit)
                               __attribute__((target("avx2"))) {
    const int32_t first = start[cell], last = start[cell + 1];
    const NearView v = nearRoom(near, ranges[count][3]);
    float *const nx = v.x, *const ny = v.y, *const nz = v.z;
    const float *const lx = laneX, *const ly = laneY, *const lz = laneZ;
    size_t m = 0;
    for (int r = 0; r < count; ++r) {
      const int32_t from = ranges[r][0], length = ranges[r][1] - from;
      const float* shift = floatShift[ranges[r][2]];
      const __m256 vx = _mm256_set1_ps(shift[0]), vy = _mm256_set1_ps(shift[1]), vz = _mm256_set1_ps(shift[2]);
      auto copy = [&](int32_t e) __attribute__((always_inline, target("avx2"))) {
        _mm256_storeu_ps(nx + m + e, _mm256_add_ps(_mm256_loadu_ps(lx + from + e), vx));
        _mm256_storeu_ps(ny + m + e, _mm256_add_ps(_mm256_loadu_ps(ly + from + e), vy));
        _mm256_storeu_ps(nz + m + e, _mm256_add_ps(_mm256_loadu_ps(lz + from + e), vz));
      };
      // A range of a few cells fits two steps; taken always, they leave the processor no
      // loop end to guess.
      if (length <= 16) {
        copy(0);
        copy(8);
      } else {
        for (int32_t e = 0; e < length; e += 8) copy(e);
      }
      m += static_cast<size_t>(length);
    }
    const int32_t own = padNear(nx, ny, nz, m, cell);
    const __m256 limit = _mm256_set1_ps(laneLimit2);
    // Up to four of the cell's atoms against each loaded stretch, its slots from s0 on:
    // each atom scans the gathered values before its own place (own + its rank in the
    // cell), so a stretch reaching past that place is masked per atom, and the atom's own
    // value, which always passes, only costs a look at the masks.
    auto scanAtoms = [&]<int M>(int32_t s0) __attribute__((always_inline, target("avx2"))) {
      __m256 qx[M], qy[M], qz[M];
      for (int a = 0; a < M; ++a) {
        qx[a] = _mm256_set1_ps(lx[s0 + a]);
        qy[a] = _mm256_set1_ps(ly[s0 + a]);
        qz[a] = _mm256_set1_ps(lz[s0 + a]);
      }
      const int32_t to0 = own + (s0 - first);  // the first atom's end; the others' follow
      for (int32_t t = 0, end = to0 + M - 1; t < end; t += 8) {
        const __m256 x = _mm256_loadu_ps(nx + t), y = _mm256_loadu_ps(ny + t), z = _mm256_loadu_ps(nz + t);
        int mask[M];
        int any = 0;
        for (int a = 0; a < M; ++a) {
          // The same operations in the same order as the four lanes' test, so the same pairs pass.
          const __m256 dx = _mm256_sub_ps(x, qx[a]), dy = _mm256_sub_ps(y, qy[a]), dz = _mm256_sub_ps(z, qz[a]);
          const __m256 d2 =
              _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(dx, dx), _mm256_mul_ps(dy, dy)), _mm256_mul_ps(dz, dz));
          mask[a] = _mm256_movemask_ps(_mm256_cmp_ps(d2, limit, _CMP_LE_OQ));
          any |= mask[a];
        }
        if (any == 0) continue;
        for (int a = 0; a < M; ++a) {
          const int32_t to = to0 + a;
          int bits = to - t >= 8 ? mask[a] : to > t ? mask[a] & ((1 << (to - t)) - 1) : 0;
          for (; bits != 0; bits &= bits - 1) {
            const int32_t e = t + __builtin_ctz(static_cast<unsigned>(bits));
            int image;
            const int32_t slot = nearSlot(ranges, e, image);
            measure(s0 + a, slot, image, hit);
          }
        }
      }
    };
    int32_t s0 = first;
    for (; last - s0 >= 4; s0 += 4) scanAtoms.template operator()<4>(s0);
    switch (last - s0) {
      case 3:
        scanAtoms.template operator()<3>(s0);
        break;
      case 2:
        scanAtoms.template operator()<2>(s0);
        break;
      case 1:
        scanAtoms.template operator()<1>(s0);
        break;
      default:
        break;
    }
  };
#else
  auto visitCellHalfWide = visitCellHalf;
#endif

  // Bond counts are int32; a list longer than that could not be held anyway.
  constexpr size_t kMaxEntries = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  int32_t* counts = bonds.counts.data();
  size_t count = 0;
  // A second thread counts into its own array, added in after: the atoms it bonds are
  // anyone's.
  qv::PodVector<int32_t> helperCounts;
  auto needHelperCounts = [&] {
    if (team < 2 || !helperCounts.empty()) return;
    helperCounts.resize(static_cast<size_t>(n));
    ZeroCounts(team, helperCounts.data(), helperCounts.size(), true);
  };
  auto countsOf = [&](size_t k) { return k == 0 ? counts : helperCounts.data(); };
  auto addHelperCounts = [&] {
    for (size_t i = 0; i < helperCounts.size(); ++i) counts[i] += helperCounts[i];
  };
  size_t floatSearchBytes = 0;
  int floatSearchLanes = 0;
  // On the coarser grid the float copies are searched with the half stencil. A short list
  // (at most one entry in kShortList atoms) is kept as found and put in order after. Past
  // that the pass counts each atom's entries instead, and a second pass writes them at their
  // places; each atom's few are then put in order.
  // Far beyond any box, floats would overflow: there the doubles are made after all.
  if (floatPath) {
    // Each float coordinate lies within lanesMagnitude * 2^-24 of its double, and so do
    // each float shift and each shifted coordinate the gather adds up; the margin is many
    // times their sum, and the float limit is rounded up past its own rounding.
    const double loose = faceReach * (1 + 0x1p-20) + lanesMagnitude * 0x1p-19;
    laneLimit2 = static_cast<float>(loose * loose * (1 + 0x1p-20));
    floatSearchLanes = wideLanes ? 8 : 4;
    // Calls emit(owner, other, rank, dx, dy, dz) for every entry the pairs found in cells
    // [from, to) make, and afterCell() after each cell.
    auto walkCells = [&](int32_t from, int32_t to, auto&& emit, auto&& afterCell) {
      NearCells near;
      int32_t c[3] = {from % nc[0], from / nc[0] % nc[1], from / (nc[0] * nc[1])};
      RowPlan plan;
      rowPlan(c, plan);
      auto found = [&](int32_t s, int32_t t, const double* ps, const double* pt, double dx, double dy, double dz,
                       int image) { ownedEntry(s, t, ps, pt, dx, dy, dz, image, emit); };
      for (int32_t cell = from; cell < to; ++cell) {
        if (start[cell] < start[cell + 1]) {
          NearRanges ranges;
          const int count = nearRanges(cell, c, plan, ranges);
          if (wideLanes)
            visitCellHalfWide(cell, ranges, count, near, found);
          else
            visitCellHalf(cell, ranges, count, near, found);
        }
        afterCell();
        if (++c[0] == nc[0]) {
          c[0] = 0;
          if (++c[1] == nc[1]) {
            c[1] = 0;
            ++c[2];
          }
          if (c[2] < nc[2]) rowPlan(c, plan);
        }
      }
    };
    // An entry (its owner i) and its rank: an atom's entries go in order of rank, then of
    // neighbour index, as the walk lists them.
    struct Owned {
      BOND_ENTRY entry;
      uint8_t rank;
    };
    // Room for a short list; past it the pass counts. A cell's entries go into the room
    // together, at the place the cell reserves; the first reservation past the end marks
    // where the entries kept end.
    const size_t limit = static_cast<size_t>(n / kShortList);
    qv::PodVector<Owned> kept(limit);
    std::atomic<size_t> reserved{0}, keptEnd{limit};
    std::atomic<bool> counting{false};
    // Once counting, each thread's entries per owner: the caller's in `counts` (zero so
    // far), the helper's in its own array.
    qv::PodVector<int32_t> partOneCounts;
    int32_t* ownerCounts[2] = {nullptr, nullptr};
    auto startCounting = [&](size_t k) {
      if (ownerCounts[k]) return;
      if (k == 0) {
        ownerCounts[0] = counts;
        return;
      }
      partOneCounts.resize(static_cast<size_t>(n));
      Prefault(partOneCounts.data(), partOneCounts.size() * sizeof(int32_t));
      std::fill(partOneCounts.begin(), partOneCounts.end(), 0);
      ownerCounts[1] = partOneCounts.data();
    };
    forPieces(cells, [&](int32_t from, int32_t to, int thread) {
      const size_t k = static_cast<size_t>(thread);
      std::vector<Owned> cell;  // the entries of the cell being walked
      walkCells(
          from, to,
          [&](int32_t owner, int32_t other, int rank, double dx, double dy, double dz) {
            if (ownerCounts[k]) {
              ++ownerCounts[k][owner];
              return;
            }
            cell.push_back(Owned{BOND_ENTRY{owner, other, static_cast<float>(dx), static_cast<float>(dy),
                                            static_cast<float>(dz)},
                                 static_cast<uint8_t>(rank)});
          },
          [&] {
            if (!cell.empty() && !counting.load(std::memory_order_relaxed)) {
              const size_t at = reserved.fetch_add(cell.size(), std::memory_order_relaxed);
              if (at + cell.size() <= limit) {
                std::copy(cell.begin(), cell.end(), kept.begin() + static_cast<std::ptrdiff_t>(at));
                cell.clear();
                return;
              }
              size_t end = keptEnd.load(std::memory_order_relaxed);
              while (at < end && !keptEnd.compare_exchange_weak(end, at, std::memory_order_relaxed)) {
              }
              counting.store(true, std::memory_order_relaxed);
            }
            if (!counting.load(std::memory_order_relaxed)) return;
            startCounting(k);
            for (const Owned& o : cell) ++ownerCounts[k][o.entry.i];
            cell.clear();
          });
    });
    floatSearchBytes = liveBytes() + kept.size() * sizeof(Owned) + partOneCounts.size() * sizeof(int32_t);
    if (!counting.load()) {
      // In order, into the list.
      count = reserved.load();
      std::sort(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(count), [](const Owned& a, const Owned& b) {
        if (a.entry.i != b.entry.i) return a.entry.i < b.entry.i;
        return a.rank != b.rank ? a.rank < b.rank : a.entry.j < b.entry.j;
      });
      if (bonds.entries.size() < count) GrowDiscarding(bonds.entries, count);
      for (size_t e = 0; e < count; ++e) {
        const BOND_ENTRY& entry = kept[e].entry;
        bonds.entries[e] = entry;
        ++counts[entry.i];
        ++counts[entry.j];
      }
    } else {
      for (size_t k = 0; k < static_cast<size_t>(team); ++k) startCounting(k);
      for (size_t e = 0, end = keptEnd.load(); e < end; ++e) ++counts[kept[e].entry.i];
      kept = qv::PodVector<Owned>();
      // Each owner's entries in one run: the counts become its run's next write position.
      // Past the longest list an int32 count can describe, owners are left out.
      int32_t* const place = ownerCounts[0];
      int32_t* const part1 = ownerCounts[1];
      size_t total = 0;
      for (int32_t i = 0; i < n; ++i) {
        const size_t c = static_cast<size_t>(place[i]) + (part1 ? static_cast<size_t>(part1[i]) : 0);
        if (total + c > kMaxEntries) {
          place[i] = -1;
          continue;
        }
        place[i] = static_cast<int32_t>(total);
        total += c;
      }
      count = total;
      if (bonds.entries.size() < count) freshEntries |= GrowDiscarding(bonds.entries, count);
      BOND_ENTRY* const entries = bonds.entries.data();
      // The rank of each entry, by which an owner's entries are put in order.
      qv::PodVector<uint8_t> rankOf(count);
      qv::RunParallel(team, static_cast<size_t>(team), [&](size_t k) {
        const size_t from = count * k / static_cast<size_t>(team), to = count * (k + 1) / static_cast<size_t>(team);
        if (freshEntries) Prefault(entries + from, (to - from) * sizeof(BOND_ENTRY));
        Prefault(rankOf.data() + from, to - from);
      });
      // Both threads may write entries of one owner: its position moves atomically.
      forPieces(cells, [&](int32_t from, int32_t to, int) {
        walkCells(
            from, to,
            [&](int32_t owner, int32_t other, int rank, double dx, double dy, double dz) {
              std::atomic_ref<int32_t> next(place[owner]);
              if (next.load(std::memory_order_relaxed) < 0) return;
              const int32_t e = next.fetch_add(1, std::memory_order_relaxed);
              entries[e] = BOND_ENTRY{owner, other, static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
              rankOf[static_cast<size_t>(e)] = static_cast<uint8_t>(rank);
            },
            [] {});
      });
      floatSearchBytes = std::max(floatSearchBytes, liveBytes() + partOneCounts.size() * sizeof(int32_t) + rankOf.size());
      // Now each owner's write position is the end of its run; the runs are put in order
      // (rank, then neighbour index) and the counts made again from the list.
      const int32_t* const ends = place;
      const int32_t mid = partBegin(n, 1);
      qv::RunParallel(team, static_cast<size_t>(team), [&](size_t k) {
        const int32_t first = k == 0 ? 0 : mid, last = k == 0 ? mid : n;
        int32_t from = 0;
        for (int32_t i = first - 1; i >= 0; --i)
          if (ends[i] >= 0) {
            from = ends[i];
            break;
          }
        for (int32_t i = first; i < last; ++i) {
          const int32_t to = ends[i];
          if (to < 0) continue;
          for (int32_t e = from + 1; e < to; ++e) {
            const BOND_ENTRY entry = entries[e];
            const uint8_t rank = rankOf[static_cast<size_t>(e)];
            int32_t d = e;
            for (; d > from && (rankOf[static_cast<size_t>(d - 1)] > rank ||
                                (rankOf[static_cast<size_t>(d - 1)] == rank && entries[d - 1].j > entry.j));
                 --d) {
              entries[d] = entries[d - 1];
              rankOf[static_cast<size_t>(d)] = rankOf[static_cast<size_t>(d - 1)];
            }
            entries[d] = entry;
            rankOf[static_cast<size_t>(d)] = rank;
          }
          from = to;
        }
      });
      const size_t halves = part1 ? 2 : 1;
      std::fill(counts, counts + n, 0);
      if (part1) std::fill(part1, part1 + n, 0);
      qv::RunParallel(team, halves, [&](size_t k) {
        int32_t* const cnt = k == 0 ? counts : part1;
        for (size_t e = count * k / halves, end = count * (k + 1) / halves; e < end; ++e) {
          ++cnt[entries[e].i];
          ++cnt[entries[e].j];
        }
      });
      if (part1)
        for (int32_t i = 0; i < n; ++i) counts[i] += part1[i];
    }
  }
  qv::PodVector<int32_t> place(byCell && !floatPath ? static_cast<size_t>(n) : 0);
  if (!floatPath && byCell) {
    needHelperCounts();
    // Atoms listed in no spatial order: walking them by index would fetch every neighbour
    // cell from far away in memory. Walk the cells instead, twice: count each atom's half
    // of the list, then write it at its place in index order.
    forPieces(cells, [&](int32_t from, int32_t to, int thread) {
      int32_t* found = countsOf(thread);
      std::vector<Kept> buf;
      for (int32_t cell = from; cell < to; ++cell) {
        for (int32_t s = start[cell]; s < start[cell + 1]; ++s) {
          int32_t h = 0;
          visit(s, cell, buf, [&](int32_t t, double, double, double) {
            ++h;
            ++found[orig[t]];
          });
          place[orig[s]] = h;
          found[orig[s]] += h;
        }
      }
    });
    addHelperCounts();
    for (int32_t i = 0; i < n; ++i) {
      if (cellOf[i] < 0) continue;
      const int32_t h = place[i];
      if (count + static_cast<size_t>(h) > kMaxEntries) {
        place[i] = -1;  // past the longest list an int32 count can describe: left out
        counts[i] = 0;
        continue;
      }
      place[i] = static_cast<int32_t>(count);
      count += static_cast<size_t>(h);
    }
    if (bonds.entries.size() < count) {
      // Everything is rewritten below, so the old entries need not be copied.
      const size_t grown = std::min(kMaxEntries, std::max(count, 2 * bonds.entries.size()));
      bonds.entries = qv::PodVector<BOND_ENTRY>();
      bonds.entries.resize(grown);
    }
    BOND_ENTRY* entries = bonds.entries.data();
    forPieces(cells, [&](int32_t from, int32_t to, int) {
      std::vector<Kept> buf;
      for (int32_t cell = from; cell < to; ++cell) {
        for (int32_t s = start[cell]; s < start[cell + 1]; ++s) {
          const int32_t i = orig[s];
          if (place[i] < 0) continue;
          BOND_ENTRY* out = entries + place[i];
          visit(s, cell, buf, [&](int32_t t, double dx, double dy, double dz) {
            *out++ = BOND_ENTRY{i, orig[t], static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
          });
        }
      }
    });
  } else if (!floatPath) {
    // In index order: consecutive atoms share their neighbour cells in the cache. A list
    // longer than the capacity would be copied on every growth; a sample of the atoms tells
    // its length beforehand, so a first build of a dense frame sizes the array once (and
    // never holds an old and a new array at the same time). Each thread walks half of the
    // atoms into its own stretch of the array, sized by the sample, and the second stretch
    // then moves up to join the first.
    const int32_t mid = partBegin(n, 1);
    double rate[2] = {0, 0};
    double perAtom = -1;  // the sample's entries per atom; -1: nothing sampled
    {
      // Runs of consecutive atoms: neighbours share their cells, so a run costs little more
      // in cache misses than a single atom would.
      constexpr int32_t kRun = 16, kEvery = 61 * kRun;
      size_t sampled[2] = {0, 0}, found[2] = {0, 0};
      qv::RunParallel(team, 2, [&](size_t half) {
        std::vector<Kept> buf;
        const int32_t end = half == 0 ? mid : n;
        for (int32_t run = half == 0 ? 0 : (mid + kEvery - 1) / kEvery * kEvery; run < end; run += kEvery) {
          for (int32_t i = run; i < std::min(end, run + kRun); ++i) {
            if (cellOf[i] < 0) continue;
            ++sampled[half];
            int32_t s = start[cellOf[i]];
            while (orig[s] != i) ++s;
            visit(s, cellOf[i], buf, [&](int32_t, double, double, double) { ++found[half]; });
          }
        }
      });
      for (int h = 0; h < 2; ++h)
        if (sampled[h] > 0) rate[h] = static_cast<double>(found[h]) / static_cast<double>(sampled[h]);
      if (sampled[0] + sampled[1] > 0) {
        perAtom = static_cast<double>(found[0] + found[1]) / static_cast<double>(sampled[0] + sampled[1]);
        const double estimate = 1.05 * perAtom * n + 1024;
        if (estimate > static_cast<double>(bonds.entries.size()))
          freshEntries |=
              GrowDiscarding(bonds.entries, static_cast<size_t>(std::min(estimate, static_cast<double>(kMaxEntries))));
      }
    }
    // Walks atoms [from, to) into out[0, room), counting into cnt; stops before the first
    // atom whose entries do not fit (that atom's entries and counts taken back) and returns
    // it, or `to`. `written` receives the entries written.
    auto walkIndex = [&](int32_t from, int32_t to, BOND_ENTRY* out, size_t room, int32_t* cnt,
                         size_t& written) -> int32_t {
      size_t w = 0;
      std::vector<Kept> buf;
      for (int32_t i = from; i < to; ++i) {
        const int32_t cell = cellOf[i];
        if (cell < 0) continue;
        int32_t s = start[cell];
        while (orig[s] != i) ++s;
        const size_t atomStart = w;
        bool full = false;
        visit(s, cell, buf, [&](int32_t t, double dx, double dy, double dz) {
          if (w == room) {
            full = true;
            return;
          }
          const int32_t j = orig[t];
          out[w++] = BOND_ENTRY{i, j, static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
          ++cnt[i];
          ++cnt[j];
        });
        if (full) {
          for (size_t e = atomStart; e < w; ++e) {
            --cnt[out[e].i];
            --cnt[out[e].j];
          }
          written = atomStart;
          return i;
        }
      }
      written = w;
      return to;
    };
    int32_t next = 0;
    if (team > 1) {
      needHelperCounts();
      // The first stretch is sized by the sample with a small margin only: the pages
      // between the halves are touched when the second moves up, so a wide gap would cost
      // resident memory. Should the first half not fit, the second stretch moves to the end
      // of the array to make room.
      const size_t capacity = bonds.entries.size();
      const size_t seam = std::min(capacity, static_cast<size_t>(1.002 * rate[0] * mid) + 1024);
      BOND_ENTRY* entries = bonds.entries.data();
      size_t written[2] = {0, 0};
      int32_t stop[2] = {0, 0};
      qv::RunParallel(2, 2, [&](size_t k) {
        // The pages the sample says the stretch fills.
        const size_t expected = static_cast<size_t>(rate[k] * static_cast<double>(k == 0 ? mid : n - mid));
        if (freshEntries)
          Prefault(entries + (k == 0 ? 0 : seam),
                   std::min(expected, k == 0 ? seam : capacity - seam) * sizeof(BOND_ENTRY));
        stop[k] = k == 0 ? walkIndex(0, mid, entries, seam, counts, written[0])
                         : walkIndex(mid, n, entries + seam, capacity - seam, helperCounts.data(), written[1]);
      });
      count = written[0];
      next = stop[0];
      size_t second = seam;
      if (next < mid && capacity - written[1] > seam) {
        second = capacity - written[1];
        std::memmove(entries + second, entries + seam, written[1] * sizeof(BOND_ENTRY));
        size_t more = 0;
        next = walkIndex(next, mid, entries + count, second - count, counts, more);
        count += more;
      }
      if (next == mid) {
        std::memmove(entries + count, entries + second, written[1] * sizeof(BOND_ENTRY));
        count += written[1];
        next = stop[1];
        addHelperCounts();
      }
      // Otherwise the first half did not fit even so: the second half's work is dropped and
      // done again below, after it.
    }
    // What the threads left (a stretch that ran out of room), growing the array as needed.
    while (next < n) {
      size_t written = 0;
      next = walkIndex(next, n, bonds.entries.data() + count, bonds.entries.size() - count, counts, written);
      count += written;
      if (next == n) break;
      const size_t capacity = bonds.entries.size();
      if (capacity >= kMaxEntries) break;
      bonds.entries.resize(std::min(kMaxEntries, std::max<size_t>(64, 2 * capacity)));
    }
  }
  bonds.bondCount = static_cast<int32_t>(count);

  // With the origin at zero, an atom that was not wrapped keeps its position but for the
  // sign of a zero coordinate (adding the origin back makes -0 +0), and needs no more work.
  auto keepPosition = [](float* p) {
    for (int k = 0; k < 3; ++k)
      if (p[k] == 0) p[k] = 0;
  };
  if (images && floatPath && records.empty()) {
    // No doubles were made: each atom's exact position again, in index order.
    forPieces(n, [&](int32_t from, int32_t to, int) {
      for (int32_t i = from; i < to; ++i) {
        if (cellOf[i] < 0) continue;
        if (zeroOrigin && !(codeOf[i] & kWrapped)) {
          keepPosition(pos + 3 * static_cast<size_t>(i));
          continue;
        }
        double w[3];
        exactPosition(i, w);
        float* p = pos + 3 * static_cast<size_t>(i);
        p[0] = static_cast<float>(w[0] + origin[0]);
        p[1] = static_cast<float>(w[1] + origin[1]);
        p[2] = static_cast<float>(w[2] + origin[2]);
      }
    });
  } else if (images && floatPath) {
    // From the slots' records; each atom is written once.
    forPieces(placed, [&](int32_t from, int32_t to, int) {
      for (int32_t s = from; s < to; ++s) {
        if (zeroOrigin && !(records[s].code & kWrapped)) {
          keepPosition(pos + 3 * static_cast<size_t>(orig[s]));
          continue;
        }
        double w[3];
        exactSlot(s, w);
        float* p = pos + 3 * static_cast<size_t>(orig[s]);
        p[0] = static_cast<float>(w[0] + origin[0]);
        p[1] = static_cast<float>(w[1] + origin[1]);
        p[2] = static_cast<float>(w[2] + origin[2]);
      }
    });
  } else if (images) {
    forPieces(placed, [&](int32_t from, int32_t to, int) {
      for (int32_t s = from; s < to; ++s) {
        float* p = pos + 3 * static_cast<size_t>(orig[s]);
        const double* q = &sorted[3 * static_cast<size_t>(s)];
        p[0] = static_cast<float>(q[0] + origin[0]);
        p[1] = static_cast<float>(q[1] + origin[1]);
        p[2] = static_cast<float>(q[2] + origin[2]);
      }
    });
  }
  if (stats) {
    stats->workingBytes = liveBytes() + (helperCounts.size() + place.size()) * sizeof(int32_t);
    stats->workingBytes = std::max({stats->workingBytes, floatSearchBytes, scatterBytes});
    stats->threads = team;
    stats->lanes = floatSearchLanes;
    stats->walkedByCell = byCell;
    stats->cells[0] = nc[0];
    stats->cells[1] = nc[1];
    stats->cells[2] = nc[2];
    stats->periodicImages = images;
  }
  return bonds.bondCount;
}

void RebuildAllBonds(DataSetList& sets, double cutoff, int periodic) {
  for (LawData& e : sets.Entries()) {
    IMDContainer* md = e.MD();
    if (!md) continue;
    if (ATOMS_DATA* frame = md->GetCurrentFrame()) BuildBonds(*frame, frame->bonds, cutoff, periodic);
  }
}

bool RejudgeBonds(DataSetList& sets, double cutoff, int periodic, bool playing) {
  if (playing) return false;
  RebuildAllBonds(sets, cutoff, periodic);
  return true;
}

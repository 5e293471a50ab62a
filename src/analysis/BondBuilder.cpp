#include "analysis/BondBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "analysis/CellPartition.h"
#include "data/DataContainer.h"
#include "data/DataSetList.h"

namespace {

// The 13 neighbour steps (x, y, z each -1, 0, +1, stored as 0, 1, 2) that the visiting
// order (z outermost, then y, then x) reaches before the centre cell. With the lower-indexed
// atoms of the centre cell they hold every pair once per image: a pair found from one atom
// through step d is found from the other through -d, and exactly one of d, -d is here.
constexpr int kHalfSteps[13][3] = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                   {2, 1, 0}, {0, 2, 0}, {1, 2, 0}, {2, 2, 0}, {0, 0, 1},
                                   {1, 0, 1}, {2, 0, 1}, {0, 1, 1}};

template <class T>
void GrowDiscarding(qv::PodVector<T>& v, size_t n) {
  if (v.size() >= n) return;
  v = qv::PodVector<T>();  // the old contents are not kept, so never copied
  v.resize(n);
}

// Whether the atoms are listed roughly in space order (as a lattice or a freshly built
// structure is): most consecutive atoms lie in the same or adjacent cells.
bool SpatiallyOrdered(const int32_t* cellOf, int32_t n, const int32_t nc[3]) {
  int32_t far = 0, pairs = 0;
  int32_t prev[3] = {0, 0, 0};
  bool havePrev = false;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t cell = cellOf[i];
    if (cell < 0) continue;
    const int32_t c[3] = {cell % nc[0], (cell / nc[0]) % nc[1], cell / (nc[0] * nc[1])};
    if (havePrev) {
      ++pairs;
      if (std::abs(c[0] - prev[0]) > 1 || std::abs(c[1] - prev[1]) > 1 || std::abs(c[2] - prev[2]) > 1) ++far;
    }
    std::copy(c, c + 3, prev);
    havePrev = true;
  }
  return far * 8 <= pairs;
}

}  // namespace

int32_t BuildBonds(ATOMS_DATA& frame, BOND_INFO& bonds, double cutoff, int periodic,
                   BondBuildStats* stats, BondWalk walk) {
  ++bonds.revision;
  const int32_t atomCount = std::max(frame.atomCount, 0);
  const int32_t n = static_cast<int32_t>(
      std::min<size_t>(static_cast<size_t>(atomCount), frame.positions.size() / 3));
  GrowDiscarding(bonds.counts, static_cast<size_t>(atomCount));
  std::fill_n(bonds.counts.data(), atomCount, 0);
  GrowDiscarding(bonds.entries, 4 * static_cast<size_t>(n));
  bonds.bondCount = 0;
  if (stats) *stats = BondBuildStats{};
  if (n == 0 || !std::isfinite(cutoff) || cutoff < 0) return 0;

  float* pos = frame.positions.data();
  CellPartition part(cutoff);
  // At most four cells per atom (16 bytes) beyond a small fixed grid: a vast box with few
  // atoms gets wide cells instead of a head array sized by the box.
  part.SetCellLimit(std::max<int64_t>(int64_t{1} << 16, 4 * static_cast<int64_t>(n)));
  double origin[3] = {0, 0, 0};
  bool images = periodic != 0;
  if (images) {
    float b[9];
    for (int k = 0; k < 9; ++k) b[k] = static_cast<float>(frame.box[k]);
    for (int k = 0; k < 3; ++k) origin[k] = static_cast<float>(frame.origin[k]);
    const float offDiagonal = std::fabs(b[1]) + std::fabs(b[2]) + std::fabs(b[3]) +
                              std::fabs(b[5]) + std::fabs(b[6]) + std::fabs(b[7]);
    if (offDiagonal > 1e-7f) {
      const double m[3][3] = {{b[0], b[1], b[2]}, {b[3], b[4], b[5]}, {b[6], b[7], b[8]}};
      part.SetTriclinicBox(m);
    } else {
      part.SetOrthogonalBox(b[0], b[4], b[8]);
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
    part.SetOrthogonalBox(len[0], len[1], len[2]);
  }
  const int32_t nc[3] = {part.nx, part.ny, part.nz};
  const int32_t cells = part.cellTotal;

  // Working data, all released at the end of the build: the working positions (relative to
  // the origin, wrapped in periodic mode) sorted by cell so that a cell's atoms lie side by
  // side, each cell's atoms in ascending index order, and the mapping between the orders.
  // x, y, z side by side: a neighbour's coordinates arrive in one cache line.
  qv::PodVector<double> sorted(3 * static_cast<size_t>(n));
  qv::PodVector<int32_t> cellOf(static_cast<size_t>(n));
  qv::PodVector<int32_t> rank(static_cast<size_t>(n));
  qv::PodVector<int32_t> original(static_cast<size_t>(n));
  std::vector<int32_t> cellStart(static_cast<size_t>(cells) + 1, 0);

  // Working position and cell of atom i; -1 for an atom that cannot be placed. Run twice
  // per atom (count, then scatter), which costs less than holding the positions twice.
  auto locate = [&](int32_t i, double w[3]) -> int32_t {
    const float* p = pos + 3 * static_cast<size_t>(i);
    w[0] = static_cast<double>(p[0]) - origin[0];
    w[1] = static_cast<double>(p[1]) - origin[1];
    w[2] = static_cast<double>(p[2]) - origin[2];
    double u[3];
    part.CellUnits(w, u);
    int32_t c[3];
    for (int k = 0; k < 3; ++k) {
      if (!std::isfinite(u[k])) return -1;
      if (images && !(u[k] >= 0 && u[k] < nc[k])) {
        // Whole box vectors: an atom any distance outside comes back inside.
        const double m = std::floor(u[k] / nc[k]);
        for (int d = 0; d < 3; ++d) w[d] -= m * part.box[k][d];
        u[k] -= m * nc[k];
      }
      c[k] = static_cast<int32_t>(std::clamp(std::floor(u[k]), 0.0, static_cast<double>(nc[k] - 1)));
    }
    if (!std::isfinite(w[0]) || !std::isfinite(w[1]) || !std::isfinite(w[2])) return -1;
    return (c[2] * nc[1] + c[1]) * nc[0] + c[0];
  };

  for (int32_t i = 0; i < n; ++i) {
    double w[3];
    const int32_t cell = locate(i, w);
    cellOf[i] = cell;
    if (cell >= 0) ++cellStart[static_cast<size_t>(cell) + 1];
  }
  for (int32_t c = 0; c < cells; ++c) cellStart[c + 1] += cellStart[c];
  for (int32_t i = 0; i < n; ++i) {
    double w[3];
    const int32_t cell = locate(i, w);
    if (cell < 0) continue;
    const int32_t s = cellStart[cell]++;
    double* q = &sorted[3 * static_cast<size_t>(s)];
    q[0] = w[0];
    q[1] = w[1];
    q[2] = w[2];
    original[s] = i;
    rank[i] = s;
  }
  for (int32_t c = cells; c > 0; --c) cellStart[c] = cellStart[c - 1];
  cellStart[0] = 0;

  const double rc2 = cutoff * cutoff;
  const double* P = sorted.data();
  const int32_t* orig = original.data();
  const int32_t* start = cellStart.data();

  // Calls hit(t, dx, dy, dz) for every atom or image within the cut-off that the half list
  // holds under the atom at slot s (in cell `cell`): those in the 13 cells visited before
  // the centre, then the lower-indexed atoms of the centre cell, in that order. (dx, dy,
  // dz) points from the atom to the neighbour's image.
  auto visitHalf = [&](int32_t s, int32_t cell, auto&& hit) {
    const int32_t c[3] = {cell % nc[0], (cell / nc[0]) % nc[1], cell / (nc[0] * nc[1])};
    // Per axis and step: the cell coordinate reached (-1: no such cell) and its image digit.
    int32_t reach[3][3];
    int digit[3][3];
    for (int k = 0; k < 3; ++k) {
      const bool low = c[k] == 0, high = c[k] == nc[k] - 1;
      reach[k][0] = low ? (images ? nc[k] - 1 : -1) : c[k] - 1;
      digit[k][0] = low ? 2 : 0;
      reach[k][1] = c[k];
      digit[k][1] = 0;
      reach[k][2] = high ? (images ? 0 : -1) : c[k] + 1;
      digit[k][2] = high ? 1 : 0;
    }
    const double* ps = P + 3 * static_cast<size_t>(s);
    const double xi = ps[0], yi = ps[1], zi = ps[2];
    auto scan = [&](int32_t from, int32_t to, double qx, double qy, double qz) {
      for (int32_t t = from; t < to; ++t) {
        const double* pt = P + 3 * static_cast<size_t>(t);
        const double dx = pt[0] - qx, dy = pt[1] - qy, dz = pt[2] - qz;
        if (dx * dx + dy * dy + dz * dz <= rc2) hit(t, dx, dy, dz);
      }
    };
    if (c[0] > 0 && c[0] < nc[0] - 1) {
      // Away from the x faces the three cells of a row (x steps -1, 0, +1) lie side by side
      // in memory with one image shift: one scan per row visits them in the same order.
      for (int row = 0; row < 13; row += 3) {
        const int* step = kHalfSteps[row];
        const int32_t ry = reach[1][step[1]], rz = reach[2][step[2]];
        if (ry < 0 || rz < 0) continue;
        const int32_t k = (rz * nc[1] + ry) * nc[0] + c[0] - 1;
        const double* shift = part.imageShift[CellPartition::ImageIndex(0, digit[1][step[1]], digit[2][step[2]])];
        // The last row is the centre's: the cell before it, then the centre up to the atom.
        const int32_t to = row == 12 ? s : start[k + 3];
        scan(start[k], to, xi - shift[0], yi - shift[1], zi - shift[2]);
      }
      return;
    }
    for (const auto& step : kHalfSteps) {
      const int32_t rx = reach[0][step[0]], ry = reach[1][step[1]], rz = reach[2][step[2]];
      if (rx < 0 || ry < 0 || rz < 0) continue;
      const int32_t k = (rz * nc[1] + ry) * nc[0] + rx;
      const double* shift =
          part.imageShift[CellPartition::ImageIndex(digit[0][step[0]], digit[1][step[1]], digit[2][step[2]])];
      scan(start[k], start[k + 1], xi - shift[0], yi - shift[1], zi - shift[2]);
    }
    scan(start[cell], s, xi, yi, zi);
  };

  // Bond counts are int32; a list longer than that could not be held anyway.
  constexpr size_t kMaxEntries = static_cast<size_t>(std::numeric_limits<int32_t>::max());
  int32_t* counts = bonds.counts.data();
  size_t count = 0;
  const bool byCell = walk == BondWalk::kAuto ? !SpatiallyOrdered(cellOf.data(), n, nc) : walk == BondWalk::kByCell;
  if (byCell) {
    // Atoms listed in no spatial order: walking them by index would fetch every neighbour
    // cell from far away in memory. Walk the cells instead, twice: count each atom's half
    // of the list, then write it at its place in index order.
    qv::PodVector<int32_t> place(static_cast<size_t>(n)), found(static_cast<size_t>(n));
    std::fill(found.begin(), found.end(), 0);
    for (int32_t cell = 0; cell < cells; ++cell) {
      for (int32_t s = start[cell]; s < start[cell + 1]; ++s) {
        int32_t h = 0;
        visitHalf(s, cell, [&](int32_t t, double, double, double) {
          ++h;
          ++found[t];
        });
        place[s] = h;
        found[s] += h;
      }
    }
    for (int32_t i = 0; i < n; ++i) {
      if (cellOf[i] < 0) continue;
      const int32_t s = rank[i];
      const int32_t h = place[s];
      if (count + static_cast<size_t>(h) > kMaxEntries) {
        place[s] = -1;  // past the longest list an int32 count can describe: left out
        found[s] = 0;
        continue;
      }
      place[s] = static_cast<int32_t>(count);
      count += static_cast<size_t>(h);
    }
    if (bonds.entries.size() < count) {
      // Everything is rewritten below, so the old entries need not be copied.
      const size_t grown = std::min(kMaxEntries, std::max(count, 2 * bonds.entries.size()));
      bonds.entries = qv::PodVector<BOND_ENTRY>();
      bonds.entries.resize(grown);
    }
    BOND_ENTRY* entries = bonds.entries.data();
    for (int32_t cell = 0; cell < cells; ++cell) {
      for (int32_t s = start[cell]; s < start[cell + 1]; ++s) {
        if (place[s] < 0) continue;
        BOND_ENTRY* out = entries + place[s];
        const int32_t i = orig[s];
        visitHalf(s, cell, [&](int32_t t, double dx, double dy, double dz) {
          *out++ = BOND_ENTRY{i, orig[t], static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
        });
      }
    }
    for (int32_t i = 0; i < n; ++i)
      if (cellOf[i] >= 0) counts[i] = found[rank[i]];
  } else {
    // One pass in index order: consecutive atoms share their neighbour cells in the cache.
    // A list longer than the capacity would be copied on every growth; a sample of the atoms
    // tells its length beforehand, so a first build of a dense frame sizes the array once
    // (and never holds an old and a new array at the same time).
    {
      constexpr int32_t kEvery = 61;
      size_t sampled = 0, found = 0;
      for (int32_t i = 0; i < n; i += kEvery) {
        if (cellOf[i] < 0) continue;
        ++sampled;
        visitHalf(rank[i], cellOf[i], [&](int32_t, double, double, double) { ++found; });
      }
      if (sampled > 0) {
        const double estimate = 1.05 * static_cast<double>(found) / static_cast<double>(sampled) * n + 1024;
        if (estimate > static_cast<double>(bonds.entries.size()))
          GrowDiscarding(bonds.entries, static_cast<size_t>(std::min(estimate, static_cast<double>(kMaxEntries))));
      }
    }
    BOND_ENTRY* entries = bonds.entries.data();
    size_t capacity = bonds.entries.size();
    bool full = false;
    for (int32_t i = 0; i < n && !full; ++i) {
      const int32_t cell = cellOf[i];
      if (cell < 0) continue;
      visitHalf(rank[i], cell, [&](int32_t t, double dx, double dy, double dz) {
        if (count == capacity) {
          if (capacity >= kMaxEntries) {
            full = true;
            return;
          }
          capacity = std::min(kMaxEntries, std::max<size_t>(64, 2 * capacity));
          bonds.entries.resize(capacity);
          entries = bonds.entries.data();
        }
        const int32_t j = orig[t];
        entries[count++] = BOND_ENTRY{i, j, static_cast<float>(dx), static_cast<float>(dy), static_cast<float>(dz)};
        ++counts[i];
        ++counts[j];
      });
    }
  }
  bonds.bondCount = static_cast<int32_t>(count);

  if (images) {
    for (int32_t i = 0; i < n; ++i) {
      if (cellOf[i] < 0) continue;
      const int32_t s = rank[i];
      float* p = pos + 3 * static_cast<size_t>(i);
      const double* q = &sorted[3 * static_cast<size_t>(s)];
      p[0] = static_cast<float>(q[0] + origin[0]);
      p[1] = static_cast<float>(q[1] + origin[1]);
      p[2] = static_cast<float>(q[2] + origin[2]);
    }
  }
  if (stats) {
    stats->workingBytes = n * (3 * sizeof(double) + (byCell ? 5 : 3) * sizeof(int32_t)) +
                          cellStart.size() * sizeof(int32_t);
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

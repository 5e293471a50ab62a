#include "output/StlWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>

#include "rendering/SceneGeometry.h"

namespace qv {

namespace {

constexpr size_t kBufferBytes = 1 << 20;

}  // namespace

SphereMesh BuildSphereMesh(double radius, int bands) {
  SphereMesh mesh;
  geo::SphereTessellation sphere;
  geo::TessellateSphere(std::max(bands, kStlMinAtomPoly), sphere);
  mesh.bands = sphere.stacks;
  mesh.segments = sphere.slices;
  mesh.normals = std::move(sphere.normals);
  mesh.positions.resize(mesh.normals.size());
  for (size_t i = 0; i < mesh.normals.size(); ++i) mesh.positions[i] = radius * mesh.normals[i];
  mesh.triangles.assign(sphere.triangles.begin(), sphere.triangles.end());
  return mesh;
}

// ---------------------------------------------------------------------------------------

bool StlFile::Open(const std::string& path) {
  Close();
  if (!file_.Open(path, "wb")) return false;
  failed_ = false;
  buffer_.clear();
  buffer_.reserve(kBufferBytes);
  return true;
}

void StlFile::Put(const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  buffer_.insert(buffer_.end(), p, p + size);
  if (buffer_.size() >= kBufferBytes) Flush();
}

void StlFile::Flush() {
  if (!file_.IsOpen() || buffer_.empty()) return;
  if (!file_.Write(buffer_.data(), buffer_.size())) failed_ = true;
  buffer_.clear();
}

void StlFile::WriteHeader(uint32_t triangleCount) {
  unsigned char header[kStlHeaderBytes] = {};
  std::memcpy(header, kStlHeaderText, sizeof kStlHeaderText - 1);
  Put(header, sizeof header);
  Put(&triangleCount, 4);  // the platform is little-endian, as the format is
}

void StlFile::WriteTriangle(const float normal[3], const float v1[3], const float v2[3],
                            const float v3[3]) {
  unsigned char rec[kStlTriangleBytes];
  std::memcpy(rec, normal, 12);
  std::memcpy(rec + 12, v1, 12);
  std::memcpy(rec + 24, v2, 12);
  std::memcpy(rec + 36, v3, 12);
  rec[48] = rec[49] = 0;
  Put(rec, sizeof rec);
}

bool StlFile::Finish(bool patchCount, uint32_t triangleCount) {
  if (!file_.IsOpen()) return false;
  Flush();
  if (patchCount && !failed_) {
    if (!file_.Seek(kStlHeaderBytes) || !file_.Write(&triangleCount, 4)) failed_ = true;
  }
  if (!file_.Close()) failed_ = true;
  return !failed_;
}

void StlFile::Discard() {
  Close();
  // Only our own half-written file goes; never a device or whatever else the path names.
  std::error_code ec;
  const std::string& path = file_.Path();
  if (!path.empty() && std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

void StlFile::Close() {
  if (file_.IsOpen()) {
    Flush();
    file_.Close();
  }
  buffer_.clear();
}

}  // namespace qv

// ---------------------------------------------------------------------------------------

STL_Writer::STL_Writer(double radius, int bands)
    : radius_(radius), bands_(std::max(bands, qv::kStlMinAtomPoly)) {}

int STL_Writer::Write(const std::string& path, const float* positions, int atomCount) {
  // A radius of zero, a negative or a non-finite one gives no sphere at all.
  if (atomCount < 0 || (atomCount > 0 && !positions) || bands_ > qv::kStlMaxAtomPoly ||
      !(std::isfinite(radius_) && radius_ > 0))
    return qv::kStlBadParameter;
  const qv::SphereMesh mesh = qv::BuildSphereMesh(radius_, bands_);
  const uint64_t total = static_cast<uint64_t>(atomCount) * mesh.TriangleCount();
  if (total > std::numeric_limits<uint32_t>::max()) return qv::kStlTooLarge;

  if (!file_.Open(path)) return qv::kStlOpenFailed;
  file_.WriteHeader(static_cast<uint32_t>(total));

  // Normals do not depend on the atom: sum them once per mesh triangle.
  const size_t nt = mesh.TriangleCount();
  std::vector<float> normals(3 * nt);
  for (size_t t = 0; t < nt; ++t) {
    for (int c = 0; c < 3; ++c) {
      double sum = 0;
      for (int v = 0; v < 3; ++v) sum += mesh.normals[3 * mesh.triangles[3 * t + v] + c];
      normals[3 * t + c] = static_cast<float>(sum);
    }
  }
  for (int a = 0; a < atomCount; ++a) {
    const double p[3] = {positions[3 * a], positions[3 * a + 1], positions[3 * a + 2]};
    for (size_t t = 0; t < nt; ++t) {
      float v[3][3];
      for (int k = 0; k < 3; ++k) {
        const double* mp = &mesh.positions[3 * mesh.triangles[3 * t + k]];
        for (int c = 0; c < 3; ++c) v[k][c] = static_cast<float>(p[c] + mp[c]);
      }
      file_.WriteTriangle(&normals[3 * t], v[0], v[1], v[2]);
    }
  }
  if (!file_.Finish(false, 0)) {
    file_.Discard();
    return qv::kStlWriteFailed;
  }
  return atomCount;
}

// ---------------------------------------------------------------------------------------
// Grid writer

namespace {

// Corner c of a cell sits at +x when bit 0 is set, +y for bit 1, +z for bit 2.
constexpr int kFaces[6][4] = {{0, 2, 3, 1}, {0, 1, 5, 4}, {0, 4, 6, 2},
                              {7, 6, 4, 5}, {7, 5, 1, 3}, {7, 3, 2, 6}};

struct CellTables {
  // Edge between two corners (or -1), its lower corner and axis, and the faces it lies on.
  int edgeOf[8][8];
  int edgeCorner[12];
  int edgeAxis[12];
  unsigned edgeFaces[12];
  // Per occupancy mask of the eight corners: triangles as vertex references. A reference
  // below 12 is an edge's crossing point; 12 + L is the centre point of loop L.
  std::vector<std::array<int8_t, 3>> triangles[256];
  std::vector<std::vector<int8_t>> centreLoops[256];

  CellTables() {
    for (auto& row : edgeOf)
      for (int& e : row) e = -1;
    int n = 0;
    for (int c = 0; c < 8; ++c) {
      for (int axis = 0; axis < 3; ++axis) {
        if (c & (1 << axis)) continue;
        const int d = c | (1 << axis);
        edgeOf[c][d] = edgeOf[d][c] = n;
        edgeCorner[n] = c;
        edgeAxis[n] = axis;
        edgeFaces[n] = 0;
        for (int f = 0; f < 6; ++f) {
          bool hasC = false, hasD = false;
          for (int q = 0; q < 4; ++q) {
            hasC |= kFaces[f][q] == c;
            hasD |= kFaces[f][q] == d;
          }
          if (hasC && hasD) edgeFaces[n] |= 1u << f;
        }
        ++n;
      }
    }
    for (int mask = 1; mask < 255; ++mask) BuildCase(mask);
  }

  void BuildCase(int mask) {
    auto occ = [mask](int c) { return (mask >> c) & 1; };
    // Face walks: from the first empty corner, an empty-to-occupied passage opens a segment
    // and the next occupied-to-empty passage closes it.
    int closeOf[12];
    std::fill(std::begin(closeOf), std::end(closeOf), -1);
    std::vector<int> openOrder;
    for (const auto& face : kFaces) {
      int start = -1;
      for (int q = 0; q < 4 && start < 0; ++q)
        if (!occ(face[q])) start = q;
      if (start < 0) continue;
      int open = -1;
      for (int t = 0; t < 4; ++t) {
        const int cur = face[(start + t) % 4];
        const int nxt = face[(start + t + 1) % 4];
        if (!occ(cur) && occ(nxt)) open = edgeOf[cur][nxt];
        if (occ(cur) && !occ(nxt)) {
          closeOf[open] = edgeOf[cur][nxt];
          openOrder.push_back(open);
        }
      }
    }
    bool used[12] = {};
    for (int first : openOrder) {
      if (used[first]) continue;
      std::vector<int8_t> loop;
      int e = first;
      do {
        loop.push_back(static_cast<int8_t>(e));
        used[e] = true;
        e = closeOf[e];
      } while (e != first && e >= 0 && loop.size() <= 12);
      Triangulate(mask, loop);
    }
  }

  // A fan from the first point, as long as none of its diagonals lies in a face of the
  // cell: such a diagonal (a loop running through both segments of an ambiguous face) would
  // lie in the neighbouring cell's face too, where the neighbour may use the same edge. Then
  // another apex is tried, and if every apex has such a diagonal, the loop is fanned around
  // its centre point instead.
  void Triangulate(int mask, const std::vector<int8_t>& loop) {
    const int q = static_cast<int>(loop.size());
    auto& tris = triangles[mask];
    for (int apex = 0; apex < q; ++apex) {
      bool ok = true;
      for (int i = 2; i < q - 1 && ok; ++i) {
        const int other = loop[(apex + i) % q];
        if (edgeFaces[loop[apex]] & edgeFaces[other]) ok = false;
      }
      if (!ok) continue;
      for (int i = 1; i < q - 1; ++i)
        tris.push_back({loop[apex], loop[(apex + i) % q], loop[(apex + i + 1) % q]});
      return;
    }
    const auto centre = static_cast<int8_t>(12 + centreLoops[mask].size());
    centreLoops[mask].push_back(loop);
    for (int i = 0; i < q; ++i) tris.push_back({centre, loop[i], loop[(i + 1) % q]});
  }
};

const CellTables& Tables() {
  static const CellTables tables;
  return tables;
}

int64_t Wrap(int64_t v, int64_t n) {
  const int64_t r = v % n;
  return r < 0 ? r + n : r;
}

class Grid {
 public:
  int n[3] = {0, 0, 0};
  double d[3] = {0, 0, 0};
  int64_t stride[3] = {1, 0, 0};
  std::vector<uint8_t> occupied;
  // Per point: entry fraction x y z, then exit fraction x y z. After Crossings() the exit
  // slots hold the crossing values.
  std::vector<double> fractions;

  bool Allocate() {
    const size_t points = static_cast<size_t>(n[0]) * n[1] * n[2];
    stride[1] = n[0];
    stride[2] = static_cast<int64_t>(n[0]) * n[1];
    try {
      occupied.assign(points, 0);
      fractions.assign(6 * points, 0.0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  size_t Index(int64_t i, int64_t j, int64_t k) const {
    return static_cast<size_t>(Wrap(i, n[0]) + stride[1] * Wrap(j, n[1]) + stride[2] * Wrap(k, n[2]));
  }

  // Marks the sphere along grid lines of axis a; b and c are the other two axes.
  void MarkAlong(int a, int b, int c, const double p[3], double radius) {
    int64_t lo[3], hi[3];
    for (int ax : {b, c}) {
      lo[ax] = static_cast<int64_t>(std::floor((p[ax] - radius) / d[ax]));
      hi[ax] = static_cast<int64_t>(std::ceil((p[ax] + radius) / d[ax])) - 1;
      if (hi[ax] - lo[ax] + 1 > n[ax]) {
        // A line and its periodic images carry chords centred on the same point; only the
        // nearest image's, the longest, can add anything.
        const int64_t nearLo = static_cast<int64_t>(std::ceil(p[ax] / d[ax] - n[ax] / 2.0));
        lo[ax] = std::max(lo[ax], nearLo);
        hi[ax] = std::min(hi[ax], nearLo + n[ax] - 1);
      }
    }
    const double r2 = radius * radius;
    for (int64_t jc = lo[c]; jc <= hi[c]; ++jc) {
      const double dc = jc * d[c] - p[c];
      for (int64_t jb = lo[b]; jb <= hi[b]; ++jb) {
        const double db = jb * d[b] - p[b];
        const double h2 = r2 - db * db - dc * dc;
        if (!(h2 > 0)) continue;
        const double h = std::sqrt(h2);
        const double t0 = (p[a] - h) / d[a];
        const double t1 = (p[a] + h) / d[a];
        const auto first = static_cast<int64_t>(std::ceil(t0));
        const auto last = static_cast<int64_t>(std::floor(t1));
        const size_t base = static_cast<size_t>(stride[b] * Wrap(jb, n[b]) + stride[c] * Wrap(jc, n[c]));
        auto at = [&](int64_t t) { return base + static_cast<size_t>(stride[a] * Wrap(t, n[a])); };
        if (first == last + 1) {  // the chord falls between two points: keep a mark
          occupied[at(last)] = 1;
          continue;
        }
        if (last - first + 1 >= n[a]) {  // the whole line; no crossing along it
          for (int64_t t = 0; t < n[a]; ++t) occupied[at(t)] = 1;
          continue;
        }
        for (int64_t t = first; t <= last; ++t) occupied[at(t)] = 1;
        double& entry = fractions[6 * at(first) + a];
        entry = std::min(entry, t0 - static_cast<double>(first));
        double& exit = fractions[6 * at(last) + 3 + a];
        exit = std::max(exit, t1 - static_cast<double>(last));
      }
    }
  }

  void Crossings() {
    for (int64_t k = 0; k < n[2]; ++k)
      for (int64_t j = 0; j < n[1]; ++j)
        for (int64_t i = 0; i < n[0]; ++i) {
          const size_t p = Index(i, j, k);
          if (occupied[p]) continue;
          const int64_t g[3] = {i, j, k};
          for (int a = 0; a < 3; ++a) {
            int64_t h[3] = {g[0], g[1], g[2]};
            ++h[a];
            const size_t q = Index(h[0], h[1], h[2]);
            if (occupied[q]) fractions[6 * p + 3 + a] = fractions[6 * q + a] + 1.0;
          }
        }
  }

  double Crossing(size_t p, int axis) const {
    return std::clamp(fractions[6 * p + 3 + axis], qv::kStlCrossingMargin, 1.0 - qv::kStlCrossingMargin);
  }
};

// Collects triangles of the surface in grid units and writes them scaled.
class Emitter {
 public:
  Emitter(qv::StlFile& file, const Grid& grid, int cutoff, double scale)
      : file_(file), grid_(grid), cutoff_(cutoff), scale_(scale) {}

  uint64_t count = 0;

  void Triangle(const double a[3], const double b[3], const double c[3]) {
    float v[3][3];
    const double* src[3] = {a, b, c};
    for (int k = 0; k < 3; ++k) {
      v[k][0] = static_cast<float>(src[k][0] * grid_.d[0] * scale_);
      v[k][1] = static_cast<float>(src[k][1] * grid_.d[1] * scale_);
      v[k][2] = static_cast<float>((src[k][2] - cutoff_) * grid_.d[2] * scale_);
    }
    double e1[3], e2[3];
    for (int c2 = 0; c2 < 3; ++c2) {
      e1[c2] = static_cast<double>(v[1][c2]) - v[0][c2];
      e2[c2] = static_cast<double>(v[2][c2]) - v[0][c2];
    }
    double nrm[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                     e1[0] * e2[1] - e1[1] * e2[0]};
    const double len = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
    float nf[3] = {0, 0, 0};
    if (len > 0)
      for (int c2 = 0; c2 < 3; ++c2) nf[c2] = static_cast<float>(nrm[c2] / len);
    file_.WriteTriangle(nf, v[0], v[1], v[2]);
    ++count;
  }

 private:
  qv::StlFile& file_;
  const Grid& grid_;
  int cutoff_;
  double scale_;
};

// One cell: corner occupancy and the positions (grid units) of its corners and crossings.
struct Cell {
  int64_t g[3];
  size_t point[8];
  int mask = 0;

  void Load(const Grid& grid, int64_t i, int64_t j, int64_t k) {
    g[0] = i;
    g[1] = j;
    g[2] = k;
    mask = 0;
    for (int c = 0; c < 8; ++c) {
      point[c] = grid.Index(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1));
      if (grid.occupied[point[c]]) mask |= 1 << c;
    }
  }

  // Every use of a grid point or crossing computes its coordinates from the same unwrapped
  // integers and the same crossing value, so shared vertices agree to the bit.
  void Corner(int c, double out[3]) const {
    out[0] = static_cast<double>(g[0] + (c & 1));
    out[1] = static_cast<double>(g[1] + ((c >> 1) & 1));
    out[2] = static_cast<double>(g[2] + ((c >> 2) & 1));
  }

  void EdgePoint(const Grid& grid, int e, double out[3]) const {
    const CellTables& t = Tables();
    const int c = t.edgeCorner[e];
    const int axis = t.edgeAxis[e];
    Corner(c, out);
    out[axis] += grid.Crossing(point[c], axis);
  }
};

void EmitCell(const Grid& grid, const Cell& cell, Emitter& out) {
  const CellTables& t = Tables();
  double pts[12 + 12][3];
  bool have[12] = {};
  auto edge = [&](int e) -> const double* {
    if (!have[e]) {
      cell.EdgePoint(grid, e, pts[e]);
      have[e] = true;
    }
    return pts[e];
  };
  const auto& centres = t.centreLoops[cell.mask];
  for (size_t l = 0; l < centres.size(); ++l) {
    double* c = pts[12 + l];
    c[0] = c[1] = c[2] = 0;
    for (int8_t e : centres[l]) {
      const double* p = edge(e);
      for (int k = 0; k < 3; ++k) c[k] += p[k];
    }
    for (int k = 0; k < 3; ++k) c[k] /= static_cast<double>(centres[l].size());
  }
  for (const auto& tri : t.triangles[cell.mask]) {
    const double* v[3];
    for (int k = 0; k < 3; ++k) v[k] = tri[k] < 12 ? edge(tri[k]) : pts[tri[k]];
    out.Triangle(v[0], v[1], v[2]);
  }
}

// Closes the occupied part of one outer face of a boundary cell. The pieces follow the same
// segments as the face walk of the cell, so cap and cell meet edge to edge.
void EmitCap(const Grid& grid, const Cell& cell, int face, Emitter& out) {
  const CellTables& t = Tables();
  const int* fc = kFaces[face];
  auto occ = [&](int c) { return (cell.mask >> c) & 1; };
  int start = -1;
  for (int q = 0; q < 4 && start < 0; ++q)
    if (!occ(fc[q])) start = q;
  double poly[8][3];
  auto fan = [&](int count) {
    for (int i = 1; i < count - 1; ++i) out.Triangle(poly[0], poly[i], poly[i + 1]);
  };
  if (start < 0) {
    for (int q = 0; q < 4; ++q) cell.Corner(fc[q], poly[q]);
    fan(4);
    return;
  }
  int count = 0;
  for (int s = 0; s < 4; ++s) {
    const int cur = fc[(start + s) % 4];
    const int nxt = fc[(start + s + 1) % 4];
    if (!occ(cur) && occ(nxt)) {
      count = 0;
      cell.EdgePoint(grid, t.edgeOf[cur][nxt], poly[count++]);
      cell.Corner(nxt, poly[count++]);
    } else if (occ(cur) && occ(nxt)) {
      cell.Corner(nxt, poly[count++]);
    } else if (occ(cur) && !occ(nxt)) {
      cell.EdgePoint(grid, t.edgeOf[cur][nxt], poly[count++]);
      fan(count);
      count = 0;
    }
  }
}

bool PositiveNumber(double v) { return std::isfinite(v) && v > 0; }

// Cells along one axis: floor(length / width), or 0 when that is not a positive number.
// Returns false when the count is beyond what the writer supports.
bool CellCount(double length, double width, int& out) {
  out = 0;
  const double cells = std::floor(length / width);
  if (!(cells >= 1)) return true;  // zero, negative or NaN: nothing to sample
  if (cells > qv::kStlMaxGridAxis) return false;
  out = static_cast<int>(cells);
  return true;
}

}  // namespace

STL_Grid_Writer::STL_Grid_Writer(const StlGridOptions& options) : options_(options) {}

int STL_Grid_Writer::Write(const std::string& path, const float* positions, int atomCount,
                           const double box[9]) {
  triangleCount_ = 0;
  const double width = options_.gridWidth;
  if (atomCount < 0 || (atomCount > 0 && !positions) || !box || !PositiveNumber(width) ||
      !PositiveNumber(options_.scale) || !PositiveNumber(options_.atomRadius))
    return qv::kStlBadParameter;

  Grid grid;
  const double len[3] = {box[0], box[4], box[8]};
  for (int a = 0; a < 3; ++a)
    if (!CellCount(len[a], width, grid.n[a])) return qv::kStlTooLarge;
  const int cut = std::max(options_.cutoffEdgeZ, 0);
  const bool empty = grid.n[0] == 0 || grid.n[1] == 0 ||
                     static_cast<int64_t>(grid.n[2]) - 2 * static_cast<int64_t>(cut) < 1;
  if (!empty) {
    if (static_cast<int64_t>(grid.n[0]) * grid.n[1] * grid.n[2] > qv::kStlMaxGridPoints)
      return qv::kStlTooLarge;
    for (int a = 0; a < 3; ++a) grid.d[a] = len[a] / grid.n[a];
    if (!grid.Allocate()) return qv::kStlTooLarge;
  }

  if (!file_.Open(path)) return qv::kStlOpenFailed;
  file_.WriteHeader(0);
  Emitter out(file_, grid, cut, options_.scale);

  if (!empty) {
    const double radius = options_.atomRadius;
    const double halfDiagonal = 0.5 * std::sqrt(len[0] * len[0] + len[1] * len[1] + len[2] * len[2]);
    for (int i = 0; i < atomCount; ++i) {
      double p[3];
      bool finite = true;
      for (int a = 0; a < 3; ++a) {
        p[a] = positions[3 * i + a];
        finite = finite && std::isfinite(p[a]);
      }
      if (!finite) continue;  // an atom without a place marks nothing
      for (int a = 0; a < 3; ++a) {
        p[a] -= std::floor(p[a] / len[a]) * len[a];
        if (!(p[a] >= 0 && p[a] < len[a])) p[a] = 0;  // rounding at the upper face
      }
      if (radius > halfDiagonal) {
        // Every grid point lies within the radius of the atom's nearest periodic image.
        std::fill(grid.occupied.begin(), grid.occupied.end(), 1);
        break;
      }
      grid.MarkAlong(0, 1, 2, p, radius);
      grid.MarkAlong(1, 0, 2, p, radius);
      grid.MarkAlong(2, 0, 1, p, radius);
    }
    grid.Crossings();

    const int nx = grid.n[0], ny = grid.n[1], nz = grid.n[2];
    const int kTop = nz - cut - 1;
    Cell cell;
    for (int k = cut; k <= kTop; ++k)
      for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
          cell.Load(grid, i, j, k);
          if (cell.mask != 0 && cell.mask != 255) EmitCell(grid, cell, out);
        }
    // Caps on the six outer planes, each with its face of the boundary cells.
    for (int k = cut; k <= kTop; ++k)
      for (int j = 0; j < ny; ++j) {
        cell.Load(grid, 0, j, k);
        EmitCap(grid, cell, 2, out);
        cell.Load(grid, nx - 1, j, k);
        EmitCap(grid, cell, 4, out);
      }
    for (int k = cut; k <= kTop; ++k)
      for (int i = 0; i < nx; ++i) {
        cell.Load(grid, i, 0, k);
        EmitCap(grid, cell, 1, out);
        cell.Load(grid, i, ny - 1, k);
        EmitCap(grid, cell, 5, out);
      }
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        cell.Load(grid, i, j, cut);
        EmitCap(grid, cell, 0, out);
        cell.Load(grid, i, j, kTop);
        EmitCap(grid, cell, 3, out);
      }
  }

  if (out.count > std::numeric_limits<uint32_t>::max()) {
    file_.Discard();
    return qv::kStlTooLarge;
  }
  const auto count = static_cast<uint32_t>(out.count);
  if (!file_.Finish(true, count)) {
    file_.Discard();
    return qv::kStlWriteFailed;
  }
  triangleCount_ = count;
  return atomCount;
}

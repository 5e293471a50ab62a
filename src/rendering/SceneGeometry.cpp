#include "rendering/SceneGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rendering/Coloring.h"

namespace qv::geo {

namespace {
constexpr double kPi = 3.14159265358979323846;

void Clear(Mesh& mesh) {
  mesh.positions.clear();
  mesh.normals.clear();
  mesh.indices.clear();
  mesh.vertexCount = 0;
  mesh.indexCount = 0;
}
}  // namespace

void TessellateSphere(int stacks, SphereTessellation& out) {
  const int P = std::max(stacks, 2);
  const int S = 2 * P;
  const int vertices = S * (P - 1) + 2;
  out.stacks = P;
  out.slices = S;
  out.normals.resize(3 * static_cast<size_t>(vertices));
  out.triangles.resize(3 * 2 * static_cast<size_t>(S) * (P - 1));
  double* n = out.normals.data();
  auto put = [&](int v, double x, double y, double z) {
    n[3 * v] = x;
    n[3 * v + 1] = y;
    n[3 * v + 2] = z;
  };
  put(0, 0, 0, 1);
  for (int k = 1; k < P; ++k) {
    const double theta = k * kPi / P;
    for (int s = 0; s < S; ++s) {
      const double phi = 2 * kPi * s / S;
      put(1 + (k - 1) * S + s, std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
          std::cos(theta));
    }
  }
  const int last = vertices - 1;
  put(last, 0, 0, -1);

  uint32_t* idx = out.triangles.data();
  size_t t = 0;
  auto tri = [&](int a, int b, int c) {
    idx[t++] = static_cast<uint32_t>(a);
    idx[t++] = static_cast<uint32_t>(b);
    idx[t++] = static_cast<uint32_t>(c);
  };
  for (int s = 1; s <= S; ++s) tri(0, s, s % S + 1);
  // Ring k's first vertex is 1 + (k - 1)S; rings are numbered from 1.
  for (int k = 1; k < P - 1; ++k) {
    const int m = 1 + (k - 1) * S;
    for (int s = 0; s < S; ++s) {
      const int s2 = (s + 1) % S;
      tri(m + s, m + S + s, m + s2);
      tri(m + s2, m + S + s, m + S + s2);
    }
  }
  const int m = 1 + (P - 2) * S;
  for (int s = 1; s <= S; ++s) tri(m + s - 1, last, m + s % S);
}

void BuildSphereMesh(int level, float radius, Mesh& mesh) {
  Clear(mesh);
  if (level < 2) return;
  SphereTessellation sphere;
  TessellateSphere(std::min(level, kMaxSpherePolygonLevel), sphere);
  const size_t values = sphere.normals.size();
  mesh.positions.resize(values);
  mesh.normals.resize(values);
  for (size_t i = 0; i < values; ++i) {
    mesh.normals[i] = static_cast<float>(sphere.normals[i]);
    mesh.positions[i] = radius * mesh.normals[i];
  }
  mesh.indices.resize(sphere.triangles.size());
  std::copy(sphere.triangles.begin(), sphere.triangles.end(), mesh.indices.begin());
  mesh.vertexCount = static_cast<int>(values / 3);
  mesh.indexCount = static_cast<int>(sphere.triangles.size());
}

void BuildCylinderMesh(int level, float radius, Mesh& mesh) {
  Clear(mesh);
  if (level < 1) return;
  const int K = std::min(level, kMaxCylinderPolygonLevel);
  mesh.positions.resize(6 * static_cast<size_t>(K));
  mesh.normals.resize(6 * static_cast<size_t>(K));
  mesh.indices.resize(6 * static_cast<size_t>(K));
  for (int ring = 0; ring < 2; ++ring) {
    for (int s = 0; s < K; ++s) {
      const double a = 2 * kPi * s / K;
      const size_t v = 3 * static_cast<size_t>(ring * K + s);
      mesh.positions[v] = static_cast<float>(radius * std::cos(a));
      mesh.positions[v + 1] = static_cast<float>(radius * std::sin(a));
      mesh.positions[v + 2] = static_cast<float>(ring);
      mesh.normals[v] = static_cast<float>(std::cos(a));
      mesh.normals[v + 1] = static_cast<float>(std::sin(a));
      mesh.normals[v + 2] = 0.0f;
    }
  }
  size_t t = 0;
  for (int s = 0; s < K; ++s) {
    const uint32_t a = static_cast<uint32_t>(s);
    const uint32_t b = static_cast<uint32_t>((s + 1) % K);
    const uint32_t k = static_cast<uint32_t>(K);
    const uint32_t tris[6] = {a, b, k + a, k + a, b, k + b};
    std::memcpy(&mesh.indices[t], tris, sizeof tris);
    t += 6;
  }
  mesh.vertexCount = 2 * K;
  mesh.indexCount = static_cast<int>(t);
}

void BatchArrays::Reserve(size_t vertices, size_t indexTotal) {
  if (positions.size() < 3 * vertices) {
    positions.resize(3 * vertices);
    normals.resize(3 * vertices);
  }
  if (colors.size() < vertices) colors.resize(vertices);
  if (indices.size() < indexTotal) indices.resize(indexTotal);
}

size_t BatchCapacity(int64_t budgetBytes, const Mesh& mesh) {
  const int64_t perMesh = (static_cast<int64_t>(mesh.vertexCount) * 7 + mesh.indexCount) * 4;
  if (perMesh <= 0 || budgetBytes <= perMesh) return 1;
  // 32-bit indices address at most 2^31 vertices of one batch, whatever the budget.
  const int64_t byIndex = (int64_t{1} << 31) / std::max(mesh.vertexCount, 1);
  return static_cast<size_t>(std::min(budgetBytes / perMesh, byIndex));
}

namespace {
// Copies of `mesh` laid one after another in `batch`, one per item in [first, last).
// write(item, positions, normals, colors) fills one copy's vertices at the given places, or
// returns false to leave the item out; each copy's indices follow, offset to its first vertex.
template <class WriteCopy>
void FillBatch(const Mesh& mesh, size_t first, size_t last, BatchArrays& batch, WriteCopy write) {
  const size_t nv = static_cast<size_t>(mesh.vertexCount);
  const size_t ni = static_cast<size_t>(mesh.indexCount);
  batch.Reserve((last - first) * nv, (last - first) * ni);
  float* __restrict pos = batch.positions.data();
  float* __restrict nor = batch.normals.data();
  uint32_t* __restrict col = batch.colors.data();
  uint32_t* __restrict idx = batch.indices.data();
  const uint32_t* __restrict mi = mesh.indices.data();
  size_t v = 0, i = 0;
  for (size_t item = first; item < last; ++item) {
    if (!write(item, pos + 3 * v, nor + 3 * v, col + v)) continue;
    const uint32_t base = static_cast<uint32_t>(v);
    uint32_t* ip = idx + i;
    for (size_t k = 0; k < ni; ++k) ip[k] = mi[k] + base;
    v += nv;
    i += ni;
  }
  batch.vertexCount = v;
  batch.indexCount = i;
}
}  // namespace

size_t PackVisibleInstances(const float* atomPositions, const uint32_t* colors, size_t first, size_t last,
                            uint32_t* out) {
  size_t n = 0;
  for (size_t a = first; a < last; ++a) {
    const uint32_t c = colors[a];
    if (!Visible(c)) continue;
    std::memcpy(out + 4 * n, atomPositions + 3 * a, 3 * sizeof(float));
    out[4 * n + 3] = c;
    ++n;
  }
  return n;
}

void FillSphereBatch(const Mesh& sphere, const float* atomPositions, const uint32_t* colors,
                     size_t first, size_t last, BatchArrays& batch) {
  const size_t nv = static_cast<size_t>(sphere.vertexCount);
  const float* __restrict mp = sphere.positions.data();
  const float* __restrict mn = sphere.normals.data();
  FillBatch(sphere, first, last, batch,
            [&](size_t a, float* __restrict p, float* __restrict q, uint32_t* __restrict cp) {
              const uint32_t c = colors[a];
              if (!Visible(c)) return false;
              const float x = atomPositions[3 * a], y = atomPositions[3 * a + 1],
                          z = atomPositions[3 * a + 2];
              for (size_t k = 0; k < nv; ++k) {
                p[3 * k] = mp[3 * k] + x;
                p[3 * k + 1] = mp[3 * k + 1] + y;
                p[3 * k + 2] = mp[3 * k + 2] + z;
              }
              std::memcpy(q, mn, 3 * nv * sizeof(float));
              for (size_t k = 0; k < nv; ++k) cp[k] = c;
              return true;
            });
}

void CylinderAxes(float dx, float dy, float dz, float u[3], float v[3]) {
  const float xy = dx * dx + dy * dy;
  if (xy < 1e-5f) {
    // Along z: fixed axes, v mirrored for a downward bond so that (u, v, d) stays
    // right-handed and the mesh keeps its counter-clockwise outside (back-face culling).
    u[0] = 1, u[1] = 0, u[2] = 0;
    v[0] = 0, v[1] = dz < 0 ? -1.0f : 1.0f, v[2] = 0;
    return;
  }
  const float inv = 1.0f / std::sqrt(xy);
  u[0] = dy * inv, u[1] = -dx * inv, u[2] = 0;
  // d x u, then normalised.
  float w0 = dy * u[2] - dz * u[1];
  float w1 = dz * u[0] - dx * u[2];
  float w2 = dx * u[1] - dy * u[0];
  const float len = std::sqrt(w0 * w0 + w1 * w1 + w2 * w2);
  const float s = len > 0 ? 1.0f / len : 0.0f;
  v[0] = w0 * s, v[1] = w1 * s, v[2] = w2 * s;
}

void FillBondBatch(const Mesh& cylinder, const BOND_ENTRY* bonds, const float* atomPositions,
                   const uint32_t* colors, int32_t atomCount, size_t first, size_t last,
                   BatchArrays& batch) {
  const size_t nv = static_cast<size_t>(cylinder.vertexCount);
  const size_t half = nv / 2;
  const float* __restrict mp = cylinder.positions.data();
  const float* __restrict mn = cylinder.normals.data();
  FillBatch(cylinder, first, last, batch,
            [&](size_t b, float* __restrict p, float* __restrict q, uint32_t* __restrict cp) {
              const BOND_ENTRY& e = bonds[b];
              if (e.i < 0 || e.j < 0 || e.i >= atomCount || e.j >= atomCount) return false;
              const uint32_t ci = colors[e.i], cj = colors[e.j];
              if (!Visible(ci & cj)) return false;
              float u[3], w[3];
              CylinderAxes(e.dx, e.dy, e.dz, u, w);
              const float* p0 = atomPositions + 3 * static_cast<size_t>(e.i);
              const float d[3] = {e.dx, e.dy, e.dz};
              for (size_t k = 0; k < nv; ++k) {
                const float x = mp[3 * k], y = mp[3 * k + 1], z = mp[3 * k + 2];
                const float nx = mn[3 * k], ny = mn[3 * k + 1];
                for (int c = 0; c < 3; ++c) {
                  p[3 * k + c] = p0[c] + x * u[c] + y * w[c] + z * d[c];
                  q[3 * k + c] = nx * u[c] + ny * w[c];
                }
              }
              for (size_t k = 0; k < half; ++k) cp[k] = ci;
              for (size_t k = half; k < nv; ++k) cp[k] = cj;
              return true;
            });
}

void FillAtomColors(const ATOMS_DATA& frame, const BOND_INFO* bonds, int colorMode,
                    const qv::ColorTables& tables, double maxPressure,
                    std::vector<qv::Rgba>& scratch, qv::PodVector<uint32_t>& out) {
  static_assert(sizeof(qv::Rgba) == sizeof(uint32_t), "colour words are four bytes");
  qv::AtomColors(frame, bonds, colorMode, tables, maxPressure, scratch);
  out.resize(scratch.size());
  // Bytes r, g, b, a in memory order are exactly the colour word.
  if (!scratch.empty()) std::memcpy(out.data(), scratch.data(), scratch.size() * sizeof(uint32_t));
}

const std::array<std::array<int, 2>, 12> kBoxEdges = {{
    {0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7}, {7, 6}, {6, 4}, {0, 4}, {1, 5}, {3, 7}, {2, 6}}};

std::array<std::array<float, 3>, 8> BoxCorners(const float a[3], const float b[3],
                                               const float c[3], const float o[3]) {
  std::array<std::array<float, 3>, 8> out{};
  for (int n = 0; n < 8; ++n) {
    const int i = n & 1, j = (n >> 1) & 1, k = (n >> 2) & 1;
    for (int d = 0; d < 3; ++d) out[n][d] = o[d] + i * a[d] + j * b[d] + k * c[d];
  }
  return out;
}

}  // namespace qv::geo

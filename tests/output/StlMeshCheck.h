#pragma once
// Reads a binary STL file and judges it as a closed, outward-oriented 2-manifold.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <numeric>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace stltest {

using Vec = std::array<float, 3>;

struct Triangle {
  Vec normal;
  Vec v[3];
};

struct StlFileData {
  bool ok = false;  // header and size consistent
  std::string header;
  uint32_t count = 0;
  size_t bytes = 0;
  std::vector<Triangle> triangles;
};

inline StlFileData ReadStl(const std::string& path) {
  StlFileData out;
  const auto bytes = qvtest::ReadFile(path);
  out.bytes = bytes.size();
  if (bytes.size() < 84) return out;
  out.header.assign(bytes.begin(), bytes.begin() + 80);
  std::memcpy(&out.count, bytes.data() + 80, 4);
  if (bytes.size() != 84 + 50ull * out.count) return out;
  out.triangles.resize(out.count);
  for (uint32_t t = 0; t < out.count; ++t) {
    const unsigned char* p = bytes.data() + 84 + 50ull * t;
    std::memcpy(out.triangles[t].normal.data(), p, 12);
    for (int k = 0; k < 3; ++k) std::memcpy(out.triangles[t].v[k].data(), p + 12 + 12 * k, 12);
  }
  out.ok = true;
  return out;
}

struct MeshReport {
  size_t triangles = 0;
  size_t vertices = 0;
  size_t badEdges = 0;          // directed edge not matched by exactly one opposite edge
  size_t degenerate = 0;        // zero-area triangles
  size_t badNormals = 0;        // stored normal not the unit normal of the winding
  size_t components = 0;
  size_t inwardComponents = 0;  // components whose normals point into the solid
  double volume = 0;
  Vec min{}, max{};

  bool Closed() const {
    return badEdges == 0 && degenerate == 0 && badNormals == 0 && inwardComponents == 0;
  }
};

inline double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Generalised winding number of the mesh around p: about 1 inside the solid, 0 outside.
inline double Winding(const std::vector<Triangle>& tris, const double p[3]) {
  double sum = 0;
  for (const auto& t : tris) {
    double a[3], b[3], c[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = t.v[0][k] - p[k];
      b[k] = t.v[1][k] - p[k];
      c[k] = t.v[2][k] - p[k];
    }
    const double la = std::sqrt(Dot(a, a)), lb = std::sqrt(Dot(b, b)), lc = std::sqrt(Dot(c, c));
    const double bc[3] = {b[1] * c[2] - b[2] * c[1], b[2] * c[0] - b[0] * c[2], b[0] * c[1] - b[1] * c[0]};
    const double num = Dot(a, bc);
    const double den = la * lb * lc + Dot(a, b) * lc + Dot(a, c) * lb + Dot(b, c) * la;
    sum += 2 * std::atan2(num, den);
  }
  return sum / (4 * 3.14159265358979323846);
}

// checkNormals: whether the stored normals must be unit normals of the winding (grid files)
inline MeshReport CheckMesh(const std::vector<Triangle>& tris, bool checkNormals = true) {
  MeshReport r;
  r.triangles = tris.size();
  // Vertices are identified by exact float equality.
  std::map<Vec, uint32_t> ids;
  std::vector<std::array<uint32_t, 3>> idx(tris.size());
  for (size_t t = 0; t < tris.size(); ++t)
    for (int k = 0; k < 3; ++k) {
      auto [it, inserted] = ids.emplace(tris[t].v[k], static_cast<uint32_t>(ids.size()));
      idx[t][k] = it->second;
    }
  r.vertices = ids.size();
  if (!ids.empty()) {
    r.min = r.max = ids.begin()->first;
    for (const auto& [v, id] : ids)
      for (int c = 0; c < 3; ++c) {
        r.min[c] = std::min(r.min[c], v[c]);
        r.max[c] = std::max(r.max[c], v[c]);
      }
  }
  std::map<std::pair<uint32_t, uint32_t>, std::vector<size_t>> directed;
  for (size_t t = 0; t < tris.size(); ++t)
    for (int k = 0; k < 3; ++k) directed[{idx[t][k], idx[t][(k + 1) % 3]}].push_back(t);
  // Union-find over triangles joined by an edge, for per-component volumes.
  std::vector<size_t> parent(tris.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto find = [&](size_t a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  for (const auto& [e, list] : directed) {
    auto back = directed.find({e.second, e.first});
    if (list.size() != 1 || back == directed.end() || back->second.size() != 1) {
      ++r.badEdges;
      continue;
    }
    parent[find(list[0])] = find(back->second[0]);
  }
  std::map<size_t, double> volumes;
  std::map<size_t, std::pair<double, size_t>> largest;  // per component: area, triangle
  for (size_t t = 0; t < tris.size(); ++t) {
    double v[3][3];
    for (int k = 0; k < 3; ++k)
      for (int c = 0; c < 3; ++c) v[k][c] = tris[t].v[k][c];
    const double e1[3] = {v[1][0] - v[0][0], v[1][1] - v[0][1], v[1][2] - v[0][2]};
    const double e2[3] = {v[2][0] - v[0][0], v[2][1] - v[0][1], v[2][2] - v[0][2]};
    const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                         e1[0] * e2[1] - e1[1] * e2[0]};
    const double len = std::sqrt(Dot(n, n));
    if (!(len > 0)) ++r.degenerate;
    auto& big = largest[find(t)];
    if (len > big.first) big = {len, t};
    if (checkNormals && len > 0) {
      const double sn[3] = {tris[t].normal[0], tris[t].normal[1], tris[t].normal[2]};
      if (std::fabs(std::sqrt(Dot(sn, sn)) - 1) > 1e-5 || Dot(sn, n) / len < 0.999) ++r.badNormals;
    }
    const double cross12[3] = {v[1][1] * v[2][2] - v[1][2] * v[2][1],
                               v[1][2] * v[2][0] - v[1][0] * v[2][2],
                               v[1][0] * v[2][1] - v[1][1] * v[2][0]};
    const double vol = Dot(v[0], cross12) / 6.0;
    r.volume += vol;
    volumes[find(t)] += vol;
  }
  r.components = volumes.size();
  // Outward means: just off the largest triangle of each component along its winding
  // normal lies outside the solid, just behind it inside. (A cavity's surface has a
  // negative volume of its own but still faces out of the solid.)
  for (const auto& [c, big] : largest) {
    const auto& t = tris[big.second];
    double v[3][3], centre[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k)
      for (int d = 0; d < 3; ++d) {
        v[k][d] = t.v[k][d];
        centre[d] += v[k][d] / 3;
      }
    const double e1[3] = {v[1][0] - v[0][0], v[1][1] - v[0][1], v[1][2] - v[0][2]};
    const double e2[3] = {v[2][0] - v[0][0], v[2][1] - v[0][1], v[2][2] - v[0][2]};
    double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                   e1[0] * e2[1] - e1[1] * e2[0]};
    const double len = std::sqrt(Dot(n, n));
    if (!(len > 0)) continue;
    const double step = 1e-3 * std::sqrt(len);
    double out[3], in[3];
    for (int d = 0; d < 3; ++d) {
      out[d] = centre[d] + step * n[d] / len;
      in[d] = centre[d] - step * n[d] / len;
    }
    if (!(Winding(tris, out) < 0.5 && Winding(tris, in) > 0.5)) ++r.inwardComponents;
  }
  if (!tris.empty() && !(r.volume > 0)) ++r.inwardComponents;
  return r;
}

}  // namespace stltest

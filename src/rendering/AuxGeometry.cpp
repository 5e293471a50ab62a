#include "rendering/AuxGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "auxdata/field/Field3DLoader.h"

namespace qv::geo {

void FillFieldPoints(const FieldFrame& f, FieldPoints& out) {
  const size_t cells = f.CellCount();
  size_t visible = 0;
  for (size_t i = 0; i < cells; ++i) visible += f.cells[4 * i + 3] != 0;
  out.positions.resize(3 * visible);
  out.colors.resize(visible);
  double step[3][3];
  const int n[3] = {f.nx, f.ny, f.nz};
  double shortest = 0;
  for (int e = 0; e < 3; ++e) {
    for (int k = 0; k < 3; ++k) step[e][k] = n[e] > 0 ? f.box[3 * e + k] / n[e] : 0.0;
    const double len = std::sqrt(step[e][0] * step[e][0] + step[e][1] * step[e][1] +
                                 step[e][2] * step[e][2]);
    if (len > 0 && (shortest == 0 || len < shortest)) shortest = len;
  }
  out.spacing = static_cast<float>(shortest);
  for (int k = 0; k < 3; ++k) {
    out.centre[k] = static_cast<float>(f.origin[k] + (f.box[k] + f.box[3 + k] + f.box[6 + k]) / 2);
  }
  size_t o = 0, i = 0;
  for (int x = 0; x < f.nx; ++x) {
    for (int y = 0; y < f.ny; ++y) {
      for (int z = 0; z < f.nz && i < cells; ++z, ++i) {
        const uint8_t* c = &f.cells[4 * i];
        if (c[3] == 0) continue;
        const double u = x + 0.5, v = y + 0.5, w = z + 0.5;
        for (int k = 0; k < 3; ++k) {
          out.positions[3 * o + k] =
              static_cast<float>(f.origin[k] + u * step[0][k] + v * step[1][k] + w * step[2][k]);
        }
        std::memcpy(&out.colors[o], c, 4);
        ++o;
      }
    }
  }
  out.count = o;
}

float ProjectedPixels(float spacing, const float centre[3], const double view[16],
                      const double projection[16], int viewportHeight) {
  double eye[4];
  for (int r = 0; r < 4; ++r) {
    eye[r] = view[r] * centre[0] + view[4 + r] * centre[1] + view[8 + r] * centre[2] + view[12 + r];
  }
  const double* p = projection;
  const double w = p[3] * eye[0] + p[7] * eye[1] + p[11] * eye[2] + p[15] * eye[3];
  double pixels = 1;
  if (w > 1e-9) pixels = spacing * p[5] / w * viewportHeight / 2;
  if (!std::isfinite(pixels)) pixels = 1;
  return static_cast<float>(std::clamp(pixels, 1.0, 64.0));
}

void TubeBatchSize(const qv::scene::PathsItem& item, int64_t firstPath, int64_t lastPath,
                   int sides, size_t& vertices, size_t& indices) {
  vertices = indices = 0;
  for (int64_t p = firstPath; p < lastPath; ++p) {
    const size_t n = item.counts[p];
    if (n < 2) continue;
    vertices += n * static_cast<size_t>(sides);
    indices += (n - 1) * static_cast<size_t>(sides) * 6;
  }
}

namespace {

struct V3 {
  float x, y, z;
};
V3 Sub(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 Add(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 Mul(V3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float Dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 Cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V3 Unit(V3 a, V3 fallback) {
  const float l = std::sqrt(Dot(a, a));
  return l > 1e-20f && std::isfinite(l) ? Mul(a, 1 / l) : fallback;
}
// Some unit vector at right angles to the unit vector t.
V3 Perpendicular(V3 t) {
  const V3 axis = std::fabs(t.x) < 0.9f ? V3{1, 0, 0} : V3{0, 1, 0};
  return Unit(Cross(t, axis), {0, 0, 1});
}

}  // namespace

void FillTubeBatch(const qv::scene::PathsItem& item, int64_t firstPath, int64_t lastPath,
                   size_t firstIndex, int sides, float radius, uint32_t color, BatchArrays& out) {
  size_t nv = 0, ni = 0;
  TubeBatchSize(item, firstPath, lastPath, sides, nv, ni);
  out.Reserve(nv, ni);
  out.vertexCount = out.indexCount = 0;
  const uint32_t* idx = item.indices + firstIndex;
  for (int64_t p = firstPath; p < lastPath; ++p) {
    const size_t n = item.counts[p];
    const uint32_t* run = idx;
    idx += n;
    if (n < 2) continue;
    auto point = [&](size_t k) {
      const float* q = item.points + 3 * static_cast<size_t>(run[k]);
      return V3{q[0], q[1], q[2]};
    };
    // The ring frame is carried from point to point (each normal is the last one with its
    // component along the new direction removed), so tubes do not twist.
    V3 tangent = Unit(Sub(point(1), point(0)), {0, 0, 1});
    V3 normal = Perpendicular(tangent);
    const size_t base = out.vertexCount;
    for (size_t k = 0; k < n; ++k) {
      const V3 here = point(k);
      V3 dir = tangent;
      if (k + 1 < n) {
        const V3 next = Unit(Sub(point(k + 1), here), tangent);
        dir = k == 0 ? next : Unit(Add(tangent, next), next);
        tangent = next;
      }
      normal = Unit(Sub(normal, Mul(dir, Dot(normal, dir))), Perpendicular(dir));
      const V3 binormal = Cross(dir, normal);
      for (int s = 0; s < sides; ++s) {
        const float a = 6.283185307f * static_cast<float>(s) / static_cast<float>(sides);
        const V3 radial = Add(Mul(normal, std::cos(a)), Mul(binormal, std::sin(a)));
        const V3 pos = Add(here, Mul(radial, radius));
        const size_t v = out.vertexCount++;
        out.positions[3 * v] = pos.x, out.positions[3 * v + 1] = pos.y, out.positions[3 * v + 2] = pos.z;
        out.normals[3 * v] = radial.x, out.normals[3 * v + 1] = radial.y, out.normals[3 * v + 2] = radial.z;
        out.colors[v] = color;
      }
    }
    for (size_t k = 0; k + 1 < n; ++k) {
      for (int s = 0; s < sides; ++s) {
        const uint32_t a = static_cast<uint32_t>(base + k * sides + s);
        const uint32_t b = static_cast<uint32_t>(base + k * sides + (s + 1) % sides);
        const uint32_t c = a + static_cast<uint32_t>(sides), d = b + static_cast<uint32_t>(sides);
        const uint32_t tri[6] = {a, b, d, a, d, c};
        std::memcpy(&out.indices[out.indexCount], tri, sizeof tri);
        out.indexCount += 6;
      }
    }
  }
}

}  // namespace qv::geo

// Tubes through scattering paths and the screen size of field cells.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "rendering/AuxGeometry.h"

namespace {

// Every ring lies at the radius around its point, normals are unit and radial, and every
// triangle faces away from the path: checked on random paths, including a reversal and a
// repeated point.
TEST(TubeBatch, RingsSurroundThePathAndTrianglesFaceOutwards) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> u(-5, 5);
  std::vector<float> points(3 * 40);
  for (float& v : points) v = u(rng);
  for (int k = 0; k < 3; ++k) {
    points[3 * 5 + k] = points[3 * 4 + k];                              // repeated point
    points[3 * 6 + k] = 2 * points[3 * 4 + k] - points[3 * 3 + k];      // straight on
    points[3 * 7 + k] = points[3 * 3 + k];                              // back again
  }
  std::vector<uint32_t> indices(40);
  for (uint32_t i = 0; i < 40; ++i) indices[i] = i;
  const std::vector<uint32_t> counts = {12, 1, 27};
  qv::scene::PathsItem item;
  item.points = points.data();
  item.indices = indices.data();
  item.counts = counts.data();
  item.pathCount = 3;
  item.pointCount = 40;
  const int sides = 6;
  const float radius = 0.25f;
  qv::geo::BatchArrays b;
  qv::geo::FillTubeBatch(item, 0, 3, 0, sides, radius, 0xff00ff00u, b);
  size_t nv = 0, ni = 0;
  qv::geo::TubeBatchSize(item, 0, 3, sides, nv, ni);
  ASSERT_EQ(b.vertexCount, nv);
  ASSERT_EQ(nv, (12u + 27u) * sides) << "a path of one point gives no tube";
  ASSERT_EQ(b.indexCount, ni);
  // The vertex's path point: rings in order, the one-point path skipped.
  auto centreOf = [&](size_t v) {
    const size_t ring = v / sides;
    const size_t point = ring < 12 ? ring : ring + 1;
    return &points[3 * point];
  };
  for (size_t v = 0; v < nv; ++v) {
    const float* c = centreOf(v);
    const float* p = &b.positions[3 * v];
    const float* n = &b.normals[3 * v];
    EXPECT_NEAR(std::hypot(p[0] - c[0], p[1] - c[1], p[2] - c[2]), radius, 1e-4) << v;
    EXPECT_NEAR(std::hypot(n[0], n[1], n[2]), 1, 1e-4) << v;
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], c[k] + radius * n[k], 1e-4) << v;
    EXPECT_EQ(b.colors[v], 0xff00ff00u);
  }
  int inward = 0;
  for (size_t t = 0; t < ni; t += 3) {
    const float* a = &b.positions[3 * b.indices[t]];
    const float* q = &b.positions[3 * b.indices[t + 1]];
    const float* r = &b.positions[3 * b.indices[t + 2]];
    const float e1[3] = {q[0] - a[0], q[1] - a[1], q[2] - a[2]};
    const float e2[3] = {r[0] - a[0], r[1] - a[1], r[2] - a[2]};
    const float cross[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                            e1[0] * e2[1] - e1[1] * e2[0]};
    const float* n = &b.normals[3 * b.indices[t]];
    inward += cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2] < -1e-6f;
  }
  // Only the segments of the sharp reversal may fold over.
  EXPECT_LE(inward, 4 * sides) << "of " << ni / 3 << " triangles";
}

TEST(ProjectedPixels, ACellCoversItsShareOfTheViewport) {
  const double identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  // Orthographic: 2 units span the viewport height.
  const float centre[3] = {0, 0, 0};
  EXPECT_FLOAT_EQ(qv::geo::ProjectedPixels(0.25f, centre, identity, identity, 400), 50);
  // Perspective: at w = 10 a cell is a tenth of its orthographic size.
  double persp[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, -1, 0, 0, 0, 0};
  const float far[3] = {0, 0, -10};
  EXPECT_FLOAT_EQ(qv::geo::ProjectedPixels(2.0f, far, identity, persp, 400), 40);
  const float behind[3] = {0, 0, 10};
  EXPECT_EQ(qv::geo::ProjectedPixels(2.0f, behind, identity, persp, 400), 1);
  EXPECT_EQ(qv::geo::ProjectedPixels(1e9f, centre, identity, identity, 400), 64);
}

}  // namespace

// Meshes and batch filling (no GL needed).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>

#include "rendering/SceneGeometry.h"

using namespace qv::geo;

namespace {

void ExpectIndicesInside(const Mesh& m) {
  ASSERT_EQ(m.indices.size(), static_cast<size_t>(m.indexCount));
  ASSERT_EQ(m.positions.size(), 3 * static_cast<size_t>(m.vertexCount));
  for (uint32_t i : m.indices) ASSERT_LT(i, static_cast<uint32_t>(m.vertexCount));
}

TEST(SphereMesh, CountsFollowTheLevelAndEveryIndexNamesAVertex) {
  Mesh m;
  BuildSphereMesh(4, 0.3f, m);
  EXPECT_EQ(m.vertexCount, 26);
  EXPECT_EQ(m.indexCount, 3 * 48);
  for (int level = 2; level <= 9; ++level) {
    BuildSphereMesh(level, 1.0f, m);
    const int S = 2 * level;
    EXPECT_EQ(m.vertexCount, S * (level - 1) + 2);
    EXPECT_EQ(m.indexCount, 3 * 2 * S * (level - 1));
    ExpectIndicesInside(m);
    for (int v = 0; v < m.vertexCount; ++v) {
      const float* p = &m.positions[3 * v];
      EXPECT_NEAR(std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]), 1.0, 1e-5);
    }
  }
  EXPECT_FLOAT_EQ(m.positions[2], 1.0f);  // north pole first
  EXPECT_FLOAT_EQ(m.positions[3 * (m.vertexCount - 1) + 2], -1.0f);
}

TEST(SphereMesh, IsClosedEveryEdgeSharedByTwoTriangles) {
  Mesh m;
  for (int level : {2, 3, 4, 7}) {
    BuildSphereMesh(level, 1.0f, m);
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (int t = 0; t < m.indexCount; t += 3) {
      for (int e = 0; e < 3; ++e) {
        uint32_t a = m.indices[t + e], b = m.indices[t + (e + 1) % 3];
        ASSERT_NE(a, b) << "degenerate triangle " << t / 3;
        ++edges[{std::min(a, b), std::max(a, b)}];
      }
    }
    for (const auto& [edge, n] : edges) {
      EXPECT_EQ(n, 2) << level << ": edge " << edge.first << "-" << edge.second;
    }
  }
}

TEST(SphereMesh, LevelsBelowTwoGiveAnEmptyMeshAndHugeLevelsAreBounded) {
  Mesh m;
  for (int level : {1, 0, -1, -100000}) {
    BuildSphereMesh(level, 0.3f, m);
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.indexCount, 0);
    EXPECT_TRUE(m.indices.empty());
  }
  BuildSphereMesh(1 << 30, 0.3f, m);
  EXPECT_EQ(m.vertexCount, 2 * kMaxSpherePolygonLevel * (kMaxSpherePolygonLevel - 1) + 2);
  ExpectIndicesInside(m);
}

TEST(CylinderMesh, RingsSidesAndLowLevels) {
  Mesh m;
  BuildCylinderMesh(3, 0.075f, m);
  EXPECT_EQ(m.vertexCount, 6);
  EXPECT_EQ(m.indexCount, 18);
  ExpectIndicesInside(m);
  EXPECT_FLOAT_EQ(m.positions[0], 0.075f);
  EXPECT_FLOAT_EQ(m.positions[2], 0.0f);
  EXPECT_FLOAT_EQ(m.positions[3 * 3 + 2], 1.0f);
  BuildCylinderMesh(1, 0.1f, m);
  EXPECT_EQ(m.vertexCount, 2);
  ExpectIndicesInside(m);
  for (int level : {0, -2}) {
    BuildCylinderMesh(level, 0.1f, m);
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.indexCount, 0);
  }
}

TEST(BatchFill, SpheresSkipInvisibleAtomsAndOffsetIndices) {
  Mesh s;
  BuildSphereMesh(2, 0.5f, s);  // 6 vertices, 8 triangles
  const float pos[9] = {0, 0, 0, 10, 0, 0, 20, 0, 0};
  const uint32_t colors[3] = {0xFF0000FFu, 0x00FFFFFFu, 0x80FF0000u};  // atom 1 has alpha 0
  BatchArrays b;
  FillSphereBatch(s, pos, colors, 0, 3, b);
  ASSERT_EQ(b.vertexCount, 12u);
  ASSERT_EQ(b.indexCount, 48u);
  EXPECT_FLOAT_EQ(b.positions[3 * 6 + 0], 20.0f);  // the second sphere drawn is atom 2
  EXPECT_EQ(b.colors[6], colors[2]);
  EXPECT_EQ(b.indices[24], s.indices[0] + 6);
  for (size_t k = 0; k < b.indexCount; ++k) EXPECT_LT(b.indices[k], b.vertexCount);
  // A run in the middle of the frame.
  FillSphereBatch(s, pos, colors, 2, 3, b);
  EXPECT_EQ(b.vertexCount, 6u);
  EXPECT_FLOAT_EQ(b.positions[0], 20.0f + s.positions[0]);
}

TEST(BatchFill, BondsNeedBothAtomsVisibleAndBlendTheirColours) {
  Mesh c;
  BuildCylinderMesh(4, 0.1f, c);
  const float pos[9] = {1, 1, 1, 2, 1, 1, 5, 5, 5};
  const uint32_t colors[3] = {0xFF0000FFu, 0xFF00FF00u, 0x00FFFFFFu};
  const BOND_ENTRY bonds[4] = {{0, 1, 1, 0, 0}, {1, 2, 3, 4, 4}, {0, 7, 1, 1, 1}, {-1, 0, 1, 1, 1}};
  BatchArrays b;
  FillBondBatch(c, bonds, pos, colors, 3, 0, 4, b);
  ASSERT_EQ(b.vertexCount, 8u) << "only the bond between the two visible atoms";
  EXPECT_EQ(b.colors[0], colors[0]);
  EXPECT_EQ(b.colors[3], colors[0]);
  EXPECT_EQ(b.colors[4], colors[1]);
  EXPECT_EQ(b.colors[7], colors[1]);
  // Ring 1 lies at p + d.
  EXPECT_NEAR(b.positions[3 * 4 + 0], 2.0f, 1e-6);
  EXPECT_NEAR(b.positions[3 * 0 + 0], 1.0f, 1e-6);
}

TEST(BatchFill, PeriodicBondEndsAtTheImageAndZAxisBondsUseFixedAxes) {
  Mesh c;
  BuildCylinderMesh(4, 0.1f, c);
  const float pos[6] = {9.5f, 5, 5, 0.5f, 5, 5};
  const uint32_t colors[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
  const BOND_ENTRY bonds[2] = {{0, 1, 1.0f, 0, 0}, {0, 1, 0, 0, 2.0f}};
  BatchArrays b;
  FillBondBatch(c, bonds, pos, colors, 2, 0, 1, b);
  for (int k = 4; k < 8; ++k) EXPECT_NEAR(b.positions[3 * k], 10.5f, 1e-5) << "image of atom 1";
  FillBondBatch(c, bonds, pos, colors, 2, 1, 2, b);
  // u = (1, 0, 0), v = (0, 1, 0): vertex 0 at angle 0 sits at +x, vertex 1 at +y.
  EXPECT_NEAR(b.positions[0], 9.6f, 1e-5);
  EXPECT_NEAR(b.positions[3 + 1], 5.1f, 1e-5);
  EXPECT_NEAR(b.positions[3 * 4 + 2], 7.0f, 1e-5);
  float u[3], v[3];
  CylinderAxes(0.001f, 0.001f, 1.0f, u, v);
  EXPECT_EQ(u[0], 1.0f);
  EXPECT_EQ(v[1], 1.0f);
  CylinderAxes(0, 2.0f, 0, u, v);  // u = (dy, -dx, 0)/|.| = (1, 0, 0); v = d x u normalised
  EXPECT_FLOAT_EQ(u[0], 1.0f);
  EXPECT_FLOAT_EQ(v[2], -1.0f);
}

// Culling keeps the outside of a cylinder only while its frame is right-handed.
class CylinderFrame : public ::testing::TestWithParam<std::array<float, 3>> {};
TEST_P(CylinderFrame, IsOrthonormalAndRightHanded) {
  const auto d = GetParam();
  float u[3], v[3];
  CylinderAxes(d[0], d[1], d[2], u, v);
  auto dot = [](const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
  EXPECT_NEAR(dot(u, u), 1, 1e-5);
  EXPECT_NEAR(dot(v, v), 1, 1e-5);
  EXPECT_NEAR(dot(u, v), 0, 1e-5);
  EXPECT_NEAR(dot(u, d.data()), 0, 2e-3);  // the z-axis case keeps fixed axes
  EXPECT_NEAR(dot(v, d.data()), 0, 2e-3);
  const float w[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  EXPECT_GT(dot(w, d.data()), 0);
}
INSTANTIATE_TEST_SUITE_P(Directions, CylinderFrame,
                         ::testing::Values(std::array<float, 3>{0, 0, 2}, std::array<float, 3>{0, 0, -2},
                                           std::array<float, 3>{0.001f, 0, -1}, std::array<float, 3>{1, 0, 0},
                                           std::array<float, 3>{0, -2, 0}, std::array<float, 3>{1, -1, -3}));

TEST(BatchCapacity, FollowsTheBudgetAndNeverDropsToZero) {
  Mesh s;
  BuildSphereMesh(4, 0.3f, s);
  EXPECT_EQ(BatchCapacity(512LL * 1048576, s), 512LL * 1048576 / ((26 * 7 + 144) * 4));
  EXPECT_EQ(BatchCapacity(0, s), 1u);
  EXPECT_EQ(BatchCapacity(-5, s), 1u);
  Mesh empty;
  EXPECT_EQ(BatchCapacity(1000, empty), 1u);
}

TEST(AtomColors, WordsKeepTheColouringsBytesInMemoryOrder) {
  ATOMS_DATA f;
  f.Allocate(2);
  f.atomicNumbers[0] = 8;
  f.atomicNumbers[1] = 17;
  BOND_INFO bonds;
  bonds.counts.resize(2);
  bonds.counts[0] = 6;  // an invisible bond-count colour
  bonds.counts[1] = 0;
  qv::ColorTables t;
  std::vector<qv::Rgba> scratch;
  qv::PodVector<uint32_t> out;
  FillAtomColors(f, &bonds, 0, t, 160.1, scratch, out);
  ASSERT_EQ(out.size(), 2u);
  const auto* bytes = reinterpret_cast<const unsigned char*>(out.data());
  EXPECT_EQ(bytes[0], t.element[8].r);
  EXPECT_EQ(bytes[3], t.element[8].a);
  EXPECT_EQ(bytes[5], t.element[17].g);
  EXPECT_EQ(out[1], PackColor(t.element[17]));
  FillAtomColors(f, &bonds, 1, t, 160.1, scratch, out);
  EXPECT_FALSE(Visible(out[0]));
  EXPECT_TRUE(Visible(out[1]));
}

}  // namespace

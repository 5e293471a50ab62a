#include <climits>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "Reference.h"
#include "analysis/BondBuilder.h"
#include "analysis/LCL.h"

using reftest::HalfList;
using reftest::QueryAll;
using reftest::Relative;

TEST(CellPartition, ImageShiftTableFollowsTheDigits) {
  CellPartition part(2.0);
  const double m[3][3] = {{10, 0, 0}, {1, 9, 0}, {2, 3, 8}};
  part.SetTriclinicBox(m);
  EXPECT_EQ(part.imageShift[0][0], 0.0);
  // digits x=1 (+a), y=2 (-b), z=0: index 7.
  const double* s = part.imageShift[CellPartition::ImageIndex(1, 2, 0)];
  EXPECT_DOUBLE_EQ(s[0], 9.0);
  EXPECT_DOUBLE_EQ(s[1], -9.0);
  EXPECT_DOUBLE_EQ(s[2], 0.0);
  const double* t = part.imageShift[26];  // -a -b -c
  EXPECT_DOUBLE_EQ(t[0], -13.0);
  EXPECT_DOUBLE_EQ(t[1], -12.0);
  EXPECT_DOUBLE_EQ(t[2], -8.0);
  part.SetOrthogonalBox(4, 5, 6);
  const double* u = part.imageShift[CellPartition::ImageIndex(2, 0, 1)];
  EXPECT_DOUBLE_EQ(u[0], -4.0);
  EXPECT_DOUBLE_EQ(u[1], 0.0);
  EXPECT_DOUBLE_EQ(u[2], 6.0);
}

TEST(CellPartition, CellCountsFromLengthsAndSlabThickness) {
  CellPartition part(2.0);
  part.SetOrthogonalBox(1.5, 4.0, 9.9);
  EXPECT_EQ(part.nx, 1);
  EXPECT_EQ(part.ny, 2);
  EXPECT_EQ(part.nz, 4);
  EXPECT_EQ(part.cellTotal, 8);
  EXPECT_EQ(part.SetCellCounts(1, 2, 4), 0);
  EXPECT_EQ(part.SetCellCounts(0, -3, 2), 2);
  // Sheared along x by b: the slab between a-faces is thinner than a is long.
  const double m[3][3] = {{10, 0, 0}, {10, 10, 0}, {0, 0, 10}};
  part.SetTriclinicBox(m);
  EXPECT_EQ(part.nx, 3);  // thickness 10 / sqrt(2)
  EXPECT_EQ(part.ny, 5);
  EXPECT_EQ(part.nz, 5);
  EXPECT_EQ(part.orthogonal, 0);
  // Over the limit the cells widen evenly on every axis, to the narrowest width that fits:
  // just over 10 here (2 x 2 x 5 cells), where a width of 10 would give 3 x 3 x 6.
  part.SetCellLimit(27);
  part.SetOrthogonalBox(30, 30, 60);
  EXPECT_EQ(part.nx, 2);
  EXPECT_EQ(part.ny, 2);
  EXPECT_EQ(part.nz, 5);
  // A vast box does not give a grid beyond the limit.
  part.SetCellLimit(1000);
  part.SetOrthogonalBox(1e12, 1e12, 1e12);
  EXPECT_LE(static_cast<long>(part.nx) * part.ny * part.nz, 1000);
  EXPECT_TRUE(part.Usable());
  part.SetOrthogonalBox(10, 0, 10);
  EXPECT_FALSE(part.Usable());
  EXPECT_EQ(part.cellTotal, 1);
}

TEST(CellPartition, TriclinicWithoutShearEqualsOrthogonal) {
  ATOMS_DATA f;
  reftest::SetBox(f, {7, 0, 0, 0, 9, 0, 0, 0, 5});
  reftest::FillRandom(f, 120, 21);
  std::vector<double> p1 = Relative(f), p2 = p1;
  LCL orth(2.0), tri(2.0);
  orth.SetOrthogonalBox(7, 9, 5);
  const double m[3][3] = {{7, 0, 0}, {0, 9, 0}, {0, 0, 5}};
  tri.SetTriclinicBox(m);
  EXPECT_EQ(orth.cellTotal, tri.cellTotal);
  orth.PrepareAndBuild(120, p1.data());
  tri.PrepareAndBuild(120, p2.data());
  EXPECT_EQ(orth.cellOfPoint, tri.cellOfPoint);
  const HalfList a = QueryAll(orth, p1, 2.0), b = QueryAll(tri, p2, 2.0);
  reftest::ExpectSameBonds(reftest::FromInfo(a.info), reftest::FromInfo(b.info));
}

TEST(LCL, BuildWrapsPointsIntoTheGrid) {
  LCL lcl(2.0);
  lcl.SetOrthogonalBox(10, 10, 10);
  std::vector<double> p = {-0.1, 5, 5,  10.0, 5, 5,  10.2, 5, 5,  -35.5, 5, 5,
                           std::numeric_limits<double>::quiet_NaN(), 1, 1};
  lcl.PrepareAndBuild(5, p.data());
  EXPECT_EQ(lcl.cellCoords[0], 4);  // just below 0: last cell, moved up by a
  EXPECT_DOUBLE_EQ(p[0], 9.9);
  EXPECT_EQ(lcl.cellCoords[3], 0);  // at L: first cell
  EXPECT_DOUBLE_EQ(p[3], 0.0);
  EXPECT_EQ(lcl.cellCoords[6], 0);
  EXPECT_EQ(lcl.cellCoords[9], 2);  // several boxes out: whole box vectors
  EXPECT_DOUBLE_EQ(p[9], 4.5);
  EXPECT_EQ(lcl.cellOfPoint[4], -1);  // NaN: in no cell
  NEIGHBOR_ENTRY buf[8];
  int self = 5;
  EXPECT_EQ(lcl.Query(4, p.data(), 4.0, buf, &self, 8), 0);
}

// The entries before each atom's self position form the half list: every pair once per
// image. Boxes of one, two and three cells per axis and a finer one, both box forms.
TEST(LCL, HalfListMatchesBruteForce) {
  for (bool triclinic : {false, true}) {
   for (BondWalk walk : {BondWalk::kByIndex, BondWalk::kByCell}) {
    for (double len : {3.5, 5.5, 7.5, 12.5}) {
      SCOPED_TRACE(::testing::Message() << "triclinic " << triclinic << " len " << len << " walk " << static_cast<int>(walk));
      ATOMS_DATA f;
      if (triclinic)
        reftest::SetBox(f, {len, 0.5, 0, 1.25, len, 0.25, -1.5, 0.75, len + 1}, {1, 2, 3});
      else
        reftest::SetBox(f, {len, 0, 0, 0, len, 0, 0, 0, len + 2}, {1, 2, 3});
      reftest::FillRandom(f, 120, static_cast<unsigned>(len) + triclinic, -0.2, 1.2);
      std::vector<int> counts;
      const auto expected = reftest::BruteForce(f, 2.0, counts);
      const HalfList half = reftest::FinderList(f, 2.0);
      ASSERT_FALSE(half.overflow);
      reftest::ExpectSameBonds(expected, reftest::FromInfo(half.info));
      for (int i = 0; i < f.atomCount; ++i) EXPECT_EQ(half.info.counts[i], counts[i]) << i;
      // The bond builder gives the very same list in the very same order as the finder on
      // the cut-off grid, whatever grid it walks, by index or cell by cell, on one thread or
      // two.
      for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        ATOMS_DATA g = f;
        BondBuildStats stats;
        BuildBonds(g, g.bonds, 2.0, 3, &stats, walk, threads);
        EXPECT_EQ(stats.walkedByCell, walk == BondWalk::kByCell);
        reftest::ExpectSameList(half, g);
      }
    }
   }
  }
}

TEST(LCL, TwoCellsOnAnAxisReportBothImages) {
  LCL lcl(2.0);
  lcl.SetOrthogonalBox(4.5, 20, 20);
  ASSERT_EQ(lcl.nx, 2);
  std::vector<double> p = {1.0, 5, 5, 3.0, 5, 5};  // 2.0 apart directly, 2.5 through the face
  lcl.PrepareAndBuild(2, p.data());
  NEIGHBOR_ENTRY buf[8];
  int self = -1;
  ASSERT_EQ(lcl.Query(0, p.data(), 2.6 * 2.6, buf, &self, 8), 2);
  // Step -1 (image -a) comes first in the visiting order, then step +1 without a shift.
  EXPECT_EQ(self, 1);
  EXPECT_DOUBLE_EQ(buf[0].dx, 1.0 - (3.0 - 4.5));
  EXPECT_DOUBLE_EQ(buf[1].dx, -2.0);
  EXPECT_DOUBLE_EQ(buf[1].distance, 2.0);
}

TEST(LCL, SingleCellAtomSeesItsOwnImages) {
  LCL lcl(2.0);
  lcl.SetOrthogonalBox(1.5, 10, 10);
  std::vector<double> p = {0.5, 5, 5};
  lcl.PrepareAndBuild(1, p.data());
  NEIGHBOR_ENTRY buf[8];
  int self = -1;
  ASSERT_EQ(lcl.Query(0, p.data(), 4.0, buf, &self, 8), 2);
  EXPECT_EQ(self, 1);
  EXPECT_EQ(buf[0].index, 0);
  EXPECT_DOUBLE_EQ(buf[0].dx, 1.5);
  EXPECT_DOUBLE_EQ(buf[1].dx, -1.5);
}

TEST(LCL, FullBufferReturnsMinusOneAndKeepsSelfPosition) {
  LCL lcl(2.0);
  lcl.SetOrthogonalBox(20, 20, 20);
  std::vector<double> p;
  for (int a = 0; a < 10; ++a) p.insert(p.end(), {5 + 0.1 * a, 5, 5});
  lcl.PrepareAndBuild(10, p.data());
  NEIGHBOR_ENTRY buf[9];
  int self = 42;
  EXPECT_EQ(lcl.Query(3, p.data(), 4.0, buf, &self, 8), -1);
  EXPECT_EQ(self, 42);
  EXPECT_EQ(lcl.Query(3, p.data(), 4.0, buf, &self, 9), 9);
  EXPECT_EQ(self, 3);
}

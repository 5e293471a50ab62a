#include "analysis/BondBuilder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "Reference.h"
#include "TestSupport.h"
#include "data/DataTypeRegistry.h"
#include "data/MDLoader.h"

using reftest::BruteForce;
using reftest::FillRandom;
using reftest::FromInfo;
using reftest::SetBox;

namespace {

void ExpectMatchesReference(ATOMS_DATA f, double cutoff) {
  std::vector<int> expectedCounts;
  const auto expected = BruteForce(f, cutoff, expectedCounts);
  BuildBonds(f, f.bonds, cutoff, 3);
  reftest::ExpectSameBonds(expected, FromInfo(f.bonds));
  for (int i = 0; i < f.atomCount; ++i) ASSERT_EQ(expectedCounts[i], f.bonds.counts[i]) << "atom " << i;
  const long sum = std::accumulate(f.bonds.counts.begin(), f.bonds.counts.begin() + f.atomCount, 0L);
  EXPECT_EQ(sum, 2L * f.bonds.bondCount);
}

ATOMS_DATA Atoms(std::initializer_list<std::array<float, 3>> pos) {
  ATOMS_DATA f;
  f.Allocate(static_cast<int>(pos.size()));
  int a = 0;
  for (const auto& p : pos) {
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = p[k];
    f.atomicNumbers[a++] = 1;
  }
  return f;
}

// A simple-cubic lattice of n^3 atoms written row by row, filling a periodic box of edge
// n * spacing.
ATOMS_DATA CubicLattice(int n, float spacing) {
  ATOMS_DATA f;
  const float edge = n * spacing;
  SetBox(f, {edge, 0, 0, 0, edge, 0, 0, 0, edge});
  f.Allocate(n * n * n);
  for (int a = 0; a < n * n * n; ++a) {
    f.positions[3 * a + 0] = spacing * (a % n);
    f.positions[3 * a + 1] = spacing * (a / n % n);
    f.positions[3 * a + 2] = spacing * (a / (n * n));
  }
  return f;
}

}  // namespace

// One, two and three cells on an axis and a finer grid, orthogonal and triclinic, with atoms
// on the upper faces and outside the box (which the reference wraps on its own).
TEST(BuildBonds, MatchesBruteForceOrthogonal) {
  const double cutoff = 2.0;
  for (double len : {3.0, 5.0, 7.0, 12.5}) {
    SCOPED_TRACE(len);
    ATOMS_DATA f;
    SetBox(f, {len, 0, 0, 0, len + 0.5, 0, 0, 0, 2 * len}, {-1.5, 2.25, 0.5});
    FillRandom(f, 150, static_cast<unsigned>(len * 10), -0.3, 1.3);
    ExpectMatchesReference(std::move(f), cutoff);
  }
}

TEST(BuildBonds, MatchesBruteForceTriclinic) {
  const double cutoff = 2.0;
  for (double len : {3.5, 5.5, 7.5, 12.5}) {
    SCOPED_TRACE(len);
    ATOMS_DATA f;
    SetBox(f, {len, 0.5, 0, 1.25, len, 0.25, -1.5, 0.75, len + 1}, {0.5, -1, 3});
    FillRandom(f, 150, static_cast<unsigned>(len * 10) + 1, -0.3, 1.3);
    ExpectMatchesReference(std::move(f), cutoff);
  }
}

// Frames whose density and shape steer the cell sizing: cut-offs far below and above the
// spacing, a lone atom, slabs and rods, sparse and dense, sheared. Every walk and thread
// count must give the reference's bonds, and all of them exactly the list of the cut-off
// grid, whether the walk runs on a coarser grid (`coarser`: cut-off grid cells outnumber
// the atoms) or on that one.
struct GridCase {
  const char* name;
  std::array<double, 9> box;
  int atoms;
  double cutoff;
  bool coarser;
  double spread = 0.2;  // how many boxes the atoms reach beyond each face
};

class BuildBondsGrid : public ::testing::TestWithParam<GridCase> {};

TEST_P(BuildBondsGrid, GivesTheCutoffGridsListWithEveryWalkAndThreadCount) {
  const GridCase& c = GetParam();
  ATOMS_DATA f;
  std::copy(c.box.begin(), c.box.end(), f.box);
  FillRandom(f, c.atoms, static_cast<unsigned>(c.atoms), -c.spread, 1 + c.spread);
  ExpectMatchesReference(f, c.cutoff);
  const reftest::HalfList want = reftest::FinderList(f, c.cutoff);
  const int64_t cutoffGridCells = [&] {
    LCL grid(c.cutoff);
    const double m[3][3] = {{c.box[0], c.box[1], c.box[2]}, {c.box[3], c.box[4], c.box[5]}, {c.box[6], c.box[7], c.box[8]}};
    grid.SetTriclinicBox(m);
    return int64_t{grid.cellTotal};
  }();
  for (BondWalk walk : {BondWalk::kByIndex, BondWalk::kByCell}) {
    for (int threads : {1, 2}) {
      SCOPED_TRACE(::testing::Message() << "walk " << static_cast<int>(walk) << " threads " << threads);
      ATOMS_DATA g = f;
      BondBuildStats stats;
      BuildBonds(g, g.bonds, c.cutoff, 3, &stats, walk, threads);
      EXPECT_EQ(stats.threads, threads);
      EXPECT_LE(stats.workingBytes, 48u * c.atoms + 64);
      EXPECT_EQ(int64_t{stats.cells[0]} * stats.cells[1] * stats.cells[2] < cutoffGridCells, c.coarser);
      reftest::ExpectSameList(want, g);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, BuildBondsGrid,
    ::testing::Values(GridCase{"CutoffFarBelowSpacing", {20, 0, 0, 0, 20, 0, 0, 0, 20}, 200, 0.8, true},
                      GridCase{"CutoffFarAboveSpacing", {8, 0, 0, 0, 8, 0, 0, 0, 8}, 200, 3.5, false},
                      GridCase{"OneAtomSeesItsImages", {5, 0, 0, 0, 6, 0, 0, 0, 7}, 1, 5.5, false},
                      GridCase{"Slab", {40, 0, 0, 0, 40, 0, 0, 0, 2.5}, 150, 2.2, true},
                      GridCase{"Rod", {60, 0, 0, 0, 2.6, 0, 0, 0, 3.1}, 120, 2.5, false},
                      GridCase{"SparseShortCutoff", {60, 0, 0, 0, 60, 0, 0, 0, 60}, 150, 4.0, true},
                      GridCase{"SparseLongCutoff", {100, 0, 0, 0, 100, 0, 0, 0, 100}, 150, 20.0, false},
                      GridCase{"Dense", {4, 0, 0, 0, 4, 0, 0, 0, 4}, 300, 1.5, false},
                      GridCase{"DenseShortCutoff", {5, 0, 0, 0, 6, 0, 0, 0, 9}, 900, 0.5, true},
                      // Most atoms more than 127 boxes away, the rest nearer.
                      GridCase{"DenseShortCutoffFarOutside", {5, 0, 0, 0, 6, 0, 0, 0, 9}, 900, 0.5, true, 250},
                      GridCase{"ShearedFarOutside", {10, 0, 0, 4, 9, 0, -3, 2, 11}, 200, 0.9, true, 250},
                      GridCase{"DenseFewerCellsThanAtoms", {6, 0, 0, 0, 6, 0, 0, 0, 6}, 1500, 0.7, false},
                      GridCase{"DenseOnTheCutoffGrid", {12, 0, 0, 0, 12, 0, 0, 0, 12}, 700, 2.0, false},
                      GridCase{"ShearedShortCutoff", {10, 0, 0, 4, 9, 0, -3, 2, 11}, 200, 0.9, true},
                      GridCase{"ShearedDenseShortCutoff", {6, 0, 0, 2, 6, 0, -1, 1.5, 7}, 1200, 0.45, true},
                      GridCase{"ShearedLongCutoff", {10, 0, 0, 4, 9, 0, -3, 2, 11}, 200, 3.0, false}),
    [](const ::testing::TestParamInfo<GridCase>& info) { return std::string(info.param.name); });

TEST(BuildBonds, AtomsManyBoxesAwayAreWrappedByWholeBoxVectors) {
  ATOMS_DATA f;
  SetBox(f, {8, 0, 0, 1, 8, 0, 0, 2, 8});
  FillRandom(f, 80, 7, -4.2, 5.7);
  ExpectMatchesReference(f, 2.0);
  BuildBonds(f, f.bonds, 2.0, 3);
  for (int a = 0; a < f.atomCount; ++a) {
    // Inside the sheared box: z in [0, 8), and likewise along the other axes.
    EXPECT_GE(f.positions[3 * a + 2], 0.0f);
    EXPECT_LE(f.positions[3 * a + 2], 8.0f);
  }
}

// Wrapped by whole boxes, this atom lands a rounding short of a cell face: its position in
// the box then points at the cell below the one it was sorted into. Every walk must still
// start from the cell that holds it.
TEST(BuildBonds, AtomWrappedOntoACellFaceIsWalkedFromItsOwnCell) {
  const float edge = 10.98576545715332f;  // five cells of the 2.0 cut-off grid
  ATOMS_DATA f;
  SetBox(f, {edge, 0, 0, 0, edge, 0, 0, 0, edge});
  FillRandom(f, 200, 9);
  const float at[3] = {-6.591459274291992f, 5.5f, 5.5f};  // x: -0.6 box, the face of cells 2 and 3
  for (int a = 0; a < 7; ++a)  // with neighbours on every side, so its cell's walk matters
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = at[k] + (a > 0 && (a - 1) / 2 == k ? (a % 2 ? 1.2f : -1.2f) : 0.0f);
  ExpectMatchesReference(f, 2.0);
  const reftest::HalfList want = reftest::FinderList(f, 2.0);
  for (BondWalk walk : {BondWalk::kByIndex, BondWalk::kByCell}) {
    ATOMS_DATA g = f;
    BuildBonds(g, g.bonds, 2.0, 3, nullptr, walk, 1);
    reftest::ExpectSameList(want, g);
  }
}

TEST(BuildBonds, ChoosesTheWalkByTheAtomsOrder) {
  // A lattice written row by row, then the same atoms in a scrambled order.
  ATOMS_DATA f = CubicLattice(16, 2.5f);
  BondBuildStats stats;
  EXPECT_EQ(BuildBonds(f, f.bonds, 3.0, 3, &stats), 3 * 4096);
  EXPECT_FALSE(stats.walkedByCell);
  for (int a = 0; a < 4096; ++a) {
    const int b = (a * 2654435761u) % 4096;  // a permutation: the multiplier is odd
    for (int k = 0; k < 3; ++k) std::swap(f.positions[3 * a + k], f.positions[3 * b + k]);
  }
  EXPECT_EQ(BuildBonds(f, f.bonds, 3.0, 3, &stats), 3 * 4096);
  EXPECT_TRUE(stats.walkedByCell);
}

// A simple-cubic lattice with spacing equal to the cut-off: every nearest neighbour lies
// exactly at the cut-off, in exact arithmetic.
TEST(BuildBonds, PairsExactlyAtTheCutoffAreBonded) {
  ATOMS_DATA f = CubicLattice(4, 2.0f);
  BuildBonds(f, f.bonds, 2.0, 3);
  EXPECT_EQ(f.bonds.bondCount, 3 * 64);
  for (int a = 0; a < 64; ++a) EXPECT_EQ(f.bonds.counts[a], 6);
  ExpectMatchesReference(f, 2.0);
}

TEST(BuildBonds, BondAcrossAFacePointsOutOfTheBoxToTheImage) {
  ATOMS_DATA f = Atoms({{0.5f, 5, 5}, {9.5f, 5, 5}});
  SetBox(f, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  ASSERT_EQ(BuildBonds(f, f.bonds, 2.0, 3), 1);
  const BOND_ENTRY& b = f.bonds.entries[0];
  // Atom i plus the vector ends at the image of j beyond the face, not at j.
  const float end = f.positions[3 * b.i] + b.dx;
  EXPECT_FLOAT_EQ(end, b.i == 0 ? -0.5f : 10.5f);
  EXPECT_FLOAT_EQ(std::fabs(b.dx), 1.0f);
  EXPECT_EQ(f.bonds.counts[0], 1);
  EXPECT_EQ(f.bonds.counts[1], 1);
}

TEST(BuildBonds, PeriodicModeMovesAtomsBackIntoTheBox) {
  ATOMS_DATA f = Atoms({{-0.25f, 5, 5}, {10.0f, 5, 5}, {5, 5, 35.5f}});
  SetBox(f, {10, 0, 0, 0, 10, 0, 0, 0, 10}, {0, 0, 0});
  BuildBonds(f, f.bonds, 2.0, 3);
  EXPECT_FLOAT_EQ(f.positions[0], 9.75f);
  EXPECT_FLOAT_EQ(f.positions[3], 0.0f);
  EXPECT_FLOAT_EQ(f.positions[8], 5.5f);
  // Without periodicity the positions are left alone.
  ATOMS_DATA g = Atoms({{-0.25f, 5, 5}});
  SetBox(g, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  BuildBonds(g, g.bonds, 2.0, 0);
  EXPECT_FLOAT_EQ(g.positions[0], -0.25f);
}

TEST(BuildBonds, AtomAloneInAShortBoxBondsToItsOwnImages) {
  ATOMS_DATA f = Atoms({{1, 1, 1}});
  SetBox(f, {1.5, 0, 0, 0, 10, 0, 0, 0, 10});
  ASSERT_EQ(BuildBonds(f, f.bonds, 2.0, 3), 1);  // the images at -1.5 and +1.5: one bond
  EXPECT_EQ(f.bonds.counts[0], 2);
  EXPECT_EQ(f.bonds.entries[0].i, 0);
  EXPECT_EQ(f.bonds.entries[0].j, 0);
  EXPECT_FLOAT_EQ(std::fabs(f.bonds.entries[0].dx), 1.5f);
}

// Cut-off beyond half the box: the same neighbour through several images, one entry each.
TEST(BuildBonds, LargeCutoffKeepsOneEntryPerImage) {
  ATOMS_DATA f = Atoms({{0.5f, 0.5f, 0.5f}, {2.0f, 0.5f, 0.5f}});
  SetBox(f, {3, 0, 0, 0, 3, 0, 0, 0, 3});
  BuildBonds(f, f.bonds, 2.9, 3);
  ExpectMatchesReference(f, 2.9);
  // 0-1 directly (1.5) and through the x image (1.5), and the self images along each axis.
  EXPECT_GE(f.bonds.counts[1], 2);
}

// More than the 200 neighbours of a fixed query buffer, and far more entries than the
// initial 4 per atom: nothing lost.
TEST(BuildBonds, DenseClusterFindsEveryPair) {
  ATOMS_DATA f;
  SetBox(f, {40, 0, 0, 0, 40, 0, 0, 0, 40});
  f.Allocate(300);
  for (int a = 0; a < 300; ++a)  // within a 2 x 2 x 2 cube
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = 18.0f + 0.0067f * ((a * (7 + 6 * k)) % 300);
  BuildBonds(f, f.bonds, 4.0, 3);
  EXPECT_EQ(f.bonds.bondCount, 300 * 299 / 2);
  for (int a = 0; a < 300; ++a) EXPECT_EQ(f.bonds.counts[a], 299);
}

// The list's length is estimated from a sample of the atoms; here the sampled ones would
// say "no bonds" while the rest are crowded, so the two threads' stretches overflow, move and
// grow. Whatever the estimate, the list is the one thread's, entry for entry.
TEST(BuildBonds, MisleadingLengthSampleStillGivesTheSerialList) {
  constexpr int kAtoms = 40000;
  ATOMS_DATA f;
  SetBox(f, {200, 0, 0, 0, 200, 0, 0, 0, 200});
  f.Allocate(kAtoms);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> crowd(10.0f, 40.0f);
  for (int a = 0; a < kAtoms; ++a) {
    const bool alone = a % 61 == 0 || a % 976 < 16;  // wherever a sample may fall
    for (int k = 0; k < 3; ++k)
      f.positions[3 * a + k] = alone ? 100.0f + 3.0f * static_cast<float>((a / (k == 0 ? 1 : k == 1 ? 30 : 900)) % 30)
                                     : crowd(random);
  }
  ATOMS_DATA serial = f;
  BuildBonds(serial, serial.bonds, 1.5, 3, nullptr, BondWalk::kByIndex, 1);
  BuildBonds(f, f.bonds, 1.5, 3, nullptr, BondWalk::kByIndex, 2);
  ASSERT_GT(serial.bonds.bondCount, 4 * kAtoms);  // beyond the first capacity
  ASSERT_EQ(f.bonds.bondCount, serial.bonds.bondCount);
  for (int e = 0; e < f.bonds.bondCount; ++e) {
    const BOND_ENTRY &x = f.bonds.entries[e], &y = serial.bonds.entries[e];
    ASSERT_TRUE(x.i == y.i && x.j == y.j && x.dx == y.dx && x.dy == y.dy && x.dz == y.dz) << "entry " << e;
  }
  for (int a = 0; a < kAtoms; ++a) ASSERT_EQ(f.bonds.counts[a], serial.bonds.counts[a]) << "atom " << a;
}

// A short list on the coarser grid: a gas on a lattice 2.5 apart with a few tight clusters,
// some of them across the box faces, listed in space order, in an orthogonal and a sheared
// box. The entries, found once each from either atom, must come out as the cut-off grid's
// finder lists them, entry for entry and bit for bit, with the same wrapped positions.
TEST(BuildBonds, ShortListOnTheCoarserGridIsTheCutoffGridsList) {
  constexpr int kSide = 16, kAtoms = kSide * kSide * kSide;
  for (const auto& box : {std::array<double, 9>{40, 0, 0, 0, 40, 0, 0, 0, 40},
                          std::array<double, 9>{40, 0, 0, 12, 38, 0, -7, 9, 39}}) {
    ATOMS_DATA f;
    std::copy(box.begin(), box.end(), f.box);
    f.Allocate(kAtoms);
    const float offset[4][3] = {{0, 0, 0}, {-0.5f, 0, 0}, {0, -0.5f, 0}, {0.3f, 0.3f, -0.4f}};
    for (int a = 0; a < kAtoms; ++a) {
      const int lead = a % 97 < 4 ? a - a % 97 : a;  // the first four of every 97 atoms: a cluster
      const int at[3] = {lead % kSide, lead / kSide % kSide, lead / (kSide * kSide)};
      // On the box's own lattice, so that wrapping into the sheared box brings no atoms close.
      for (int k = 0; k < 3; ++k) {
        double x = offset[a - lead][k];
        for (int r = 0; r < 3; ++r) x += (at[r] + 0.08) / kSide * box[3 * r + k];
        f.positions[3 * a + k] = static_cast<float>(x);
      }
    }
    f.positions[3 * 200 + 1] = -0.0f;  // written back as the cut-off grid writes it
    const reftest::HalfList want = reftest::FinderList(f, 1.0);
    ASSERT_GT(want.info.bondCount, 200);
    // Both orders of the atoms' records, four lanes and, where the processor has them, eight.
    for (BondWalk walk : {BondWalk::kByIndex, BondWalk::kByCell}) {
      for (const auto& [threads, wide] : {std::pair{1, false}, std::pair{2, false}, std::pair{1, true}, std::pair{2, true}}) {
        SCOPED_TRACE(::testing::Message() << "walk " << static_cast<int>(walk) << " threads " << threads << " wide "
                                          << wide);
        ATOMS_DATA g = f;
        BondBuildStats stats;
        AllowWideBondLanes(wide);
        BuildBonds(g, g.bonds, 1.0, 3, &stats, walk, threads);
        AllowWideBondLanes(true);
        ASSERT_LT(int64_t{stats.cells[0]} * stats.cells[1] * stats.cells[2], 40 * 40 * 40);  // the coarser grid
        if (wide)
          EXPECT_TRUE(stats.lanes == 4 || stats.lanes == 8) << stats.lanes;
        else
          EXPECT_EQ(stats.lanes, 4);
        reftest::ExpectSameList(want, g);
      }
    }
    // The pairs against brute force, once (the sheared box costs as much again).
    if (box[3] == 0) ExpectMatchesReference(f, 1.0);
  }
}

// Coordinates near the float limit, without a box: measured from the lowest atom they
// exceed what a float holds, and the one bonded pair among them must still be found.
TEST(BuildBonds, PairAtTheEdgeOfTheFloatRangeIsFound) {
  ATOMS_DATA f;
  f.Allocate(18);
  for (int a = 0; a < 18; ++a) {
    f.positions[3 * a] = a < 16 ? -3e38f + 4e37f * static_cast<float>(a) : 3e38f;
    f.positions[3 * a + 1] = a == 17 ? 0.5f : 0.0f;
    f.positions[3 * a + 2] = 0;
  }
  ASSERT_EQ(BuildBonds(f, f.bonds, 1.0, 3), 1);
  const BOND_ENTRY& e = f.bonds.entries[0];
  // Either atom may hold it; the vector points to the other.
  const float dy = e.i == 16 ? 0.5f : -0.5f;
  EXPECT_TRUE(e.i + e.j == 33 && (e.i == 16 || e.i == 17) && e.dx == 0 && e.dy == dy && e.dz == 0)
      << e.i << " " << e.j << " " << e.dx << " " << e.dy << " " << e.dz;
}

TEST(BuildBonds, CapacitiesOnlyGrow) {
  ATOMS_DATA big;
  SetBox(big, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  FillRandom(big, 500, 3);
  BOND_INFO info;
  BuildBonds(big, info, 2.0, 3);
  const size_t entries = info.entries.size(), counts = info.counts.size();
  ATOMS_DATA small = Atoms({{1, 1, 1}, {2, 1, 1}});
  SetBox(small, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  EXPECT_EQ(BuildBonds(small, info, 2.0, 3), 1);
  EXPECT_EQ(info.entries.size(), entries);
  EXPECT_EQ(info.counts.size(), counts);
  EXPECT_EQ(info.counts[0], 1);
}

// pdb frames carry no box: the atoms are searched where they are, without images, so the
// first and last atom of a chain spanning the frame are not bonded through a face.
TEST(BuildBonds, FrameWithoutBoxHasNoPeriodicImages) {
  ATOMS_DATA f = Atoms({{0, 0, 0}, {1.5f, 0, 0}, {3, 0, 0}, {4.5f, 0, 0}});
  ASSERT_EQ(BuildBonds(f, f.bonds, 2.0, 3), 3);
  EXPECT_EQ(f.bonds.counts[0], 1);
  EXPECT_EQ(f.bonds.counts[3], 1);
  EXPECT_FLOAT_EQ(f.positions[9], 4.5f);  // not moved
  // A box flat on one axis is no box either.
  ATOMS_DATA g = Atoms({{0, 0, 0}, {9.5f, 0, 0}});
  SetBox(g, {10, 0, 0, 0, 10, 0, 0, 0, 0});
  EXPECT_EQ(BuildBonds(g, g.bonds, 2.0, 3), 0);
}

TEST(BuildBonds, NonPeriodicModeDoesNotBondAcrossTheAtomsExtent) {
  ATOMS_DATA f = Atoms({{0.5f, 0, 0}, {9.5f, 0, 0}, {5, 0, 0}, {6, 0, 0}});
  SetBox(f, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  ASSERT_EQ(BuildBonds(f, f.bonds, 2.0, 0), 1);
  EXPECT_EQ(f.bonds.counts[0], 0);
  EXPECT_EQ(f.bonds.counts[2], 1);
  // Far-apart clusters (a huge extent) still work: the grid's cells widen, never explode.
  ATOMS_DATA g = Atoms({{0, 0, 0}, {1, 0, 0}, {3e30f, -2e30f, 1e30f}, {3e30f, -2e30f, 1e30f}});
  EXPECT_EQ(BuildBonds(g, g.bonds, 2.0, 0), 2);
}

TEST(BuildBonds, NonFiniteCoordinatesGetNoBonds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  ATOMS_DATA f = Atoms({{1, 1, 1}, {nan, 1, 1}, {1.5f, 1, 1}, {1, inf, 1}, {1, 1, -inf}});
  for (int periodic : {3, 0}) {
    SetBox(f, {10, 0, 0, 0, 10, 0, 0, 0, 10});
    ASSERT_EQ(BuildBonds(f, f.bonds, 2.0, periodic), 1) << periodic;
    EXPECT_EQ(f.bonds.counts[1], 0);
    EXPECT_EQ(f.bonds.counts[3], 0);
    EXPECT_EQ(f.bonds.counts[4], 0);
    EXPECT_TRUE(std::isnan(f.positions[3]));
  }
  SetBox(f, {nan, 0, 0, 0, 10, 0, 0, 0, 10});
  EXPECT_EQ(BuildBonds(f, f.bonds, 2.0, 3), 1);
}

TEST(BuildBonds, EmptyOrShortFramesAndBadCutoffsGiveNoBonds) {
  ATOMS_DATA empty;
  EXPECT_EQ(BuildBonds(empty, empty.bonds, 2.0, 3), 0);
  ATOMS_DATA f = Atoms({{1, 1, 1}, {1.5f, 1, 1}});
  SetBox(f, {10, 0, 0, 0, 10, 0, 0, 0, 10});
  EXPECT_EQ(BuildBonds(f, f.bonds, -1.0, 3), 0);
  EXPECT_EQ(BuildBonds(f, f.bonds, std::numeric_limits<double>::quiet_NaN(), 3), 0);
  EXPECT_EQ(f.bonds.counts[0], 0);
  f.atomCount = 5;  // claims more atoms than it has positions for
  EXPECT_EQ(BuildBonds(f, f.bonds, 2.0, 3), 1);
  EXPECT_EQ(f.bonds.counts[4], 0);
}

// Measured through the allocator: a second build (the bond arrays already large enough)
// holds at most 44 bytes per atom at its peak, and the report matches.
TEST(BuildBonds, WorkingMemoryStaysWithinABudgetPerAtom) {
  constexpr int kAtoms = 200000;
  ATOMS_DATA scattered;
  SetBox(scattered, {130, 0, 0, 0, 130, 0, 0, 0, 130});
  FillRandom(scattered, kAtoms, 5);
  // The same atoms listed in space order (rows of 4 A slabs), which the walk takes by index.
  ATOMS_DATA ordered = scattered;
  std::vector<int> order(kAtoms);
  std::iota(order.begin(), order.end(), 0);
  auto key = [&](int a) {
    const float* p = &scattered.positions[3 * a];
    return std::make_tuple(static_cast<int>(p[2] / 4), static_cast<int>(p[1] / 4), p[0]);
  };
  std::sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });
  for (int a = 0; a < kAtoms; ++a)
    std::copy_n(&scattered.positions[3 * order[a]], 3, &ordered.positions[3 * a]);
  // Cell by cell; by index, a long list and a short one.
  for (auto [frame, cutoff] : {std::pair{&scattered, 2.0}, std::pair{&ordered, 2.0}, std::pair{&ordered, 0.5}}) {
    ATOMS_DATA& f = *frame;
    SCOPED_TRACE(cutoff);
    BuildBonds(f, f.bonds, cutoff, 3);
    const size_t before = alloccount::Live();
    alloccount::ResetPeak();
    BondBuildStats stats;
    BuildBonds(f, f.bonds, cutoff, 3, &stats);
    const size_t peak = alloccount::Peak() - before;
    EXPECT_EQ(alloccount::Live(), before);
    EXPECT_TRUE(stats.periodicImages);
    EXPECT_EQ(stats.walkedByCell, &f == &scattered);
    EXPECT_LE(peak, 44u * kAtoms);
    EXPECT_NEAR(static_cast<double>(peak), static_cast<double>(stats.workingBytes), 0.05 * peak);
  }
}

// A tilted cell as the engine writes it (edge vectors from its reduced bounds), at a cut-off
// inside the first shell, between the shells and past the second.
TEST(BuildBonds, EngineDumpOfATiltedCellMatchesBruteForce) {
  MDLoader m;
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.Open(qvtest::TestFile("lammps/triclinic.lammpstrj"), kTrajLammps), MDLoader::kFormatLammps);
  testing::internal::GetCapturedStdout();
  const ATOMS_DATA* f = m.GetCurrentFrame();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(f->box[3], 0.0) << "the cell is tilted";
  for (double cutoff : {1.0, 1.3, 1.75}) {
    SCOPED_TRACE(cutoff);
    ExpectMatchesReference(*f, cutoff);
  }
}

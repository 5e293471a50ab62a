#include <cmath>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "MemoryTrajectory.h"
#include "TestSupport.h"
#include "analysis/BondBuilder.h"
#include "analysis/Coordination.h"
#include "analysis/Molecules.h"
#include "data/DataContainer.h"

namespace {

ATOMS_DATA Frame(std::initializer_list<std::pair<int, std::array<float, 3>>> atoms) {
  ATOMS_DATA f;
  f.Allocate(static_cast<int>(atoms.size()));
  int a = 0;
  for (const auto& [z, p] : atoms) {
    f.atomicNumbers[a] = z;
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = p[k];
    ++a;
  }
  const double box[9] = {30, 0, 0, 0, 30, 0, 0, 0, 30};
  std::copy(box, box + 9, f.box);
  return f;
}

BOND_INFO Bonds(std::initializer_list<std::pair<int, int>> pairs, int atoms) {
  BOND_INFO b;
  for (const auto& [i, j] : pairs) b.entries.push_back(BOND_ENTRY{i, j, 0, 0, 0});
  b.bondCount = static_cast<int>(pairs.size());
  b.counts.assign(atoms, 0);
  return b;
}

// Three water molecules, O-H 0.96 apart, far from each other.
ATOMS_DATA Waters() {
  ATOMS_DATA f = Frame({{8, {1, 1, 1}}, {1, {1.96f, 1, 1}}, {1, {1, 1.96f, 1}},
                        {1, {11.96f, 1, 1}}, {8, {11, 1, 1}}, {1, {11, 1.96f, 1}},
                        {8, {1, 11, 1}}, {1, {1.96f, 11, 1}}, {1, {1, 11.96f, 1}}});
  BuildBonds(f, f.bonds, 1.2, 3);
  return f;
}

// A trajectory held in memory, as the loaders' container would hold it; bonds are built on
// first request with its own cut-off.
class FakeTrajectory : public qvtest::MemoryTrajectory {
 public:
  BOND_INFO* GetBonds() override {
    ATOMS_DATA* f = GetCurrentFrame();
    if (!f) return nullptr;
    if (f->bonds.Empty()) BuildBonds(*f, f->bonds, 1.2, 3);
    return &f->bonds;
  }
};

}  // namespace

TEST(ComponentChains, JoinsKeepTheSecondRootAndChainTheMembers) {
  std::vector<int32_t> chain;
  BuildComponentChains(5, Bonds({{0, 1}, {2, 3}, {1, 3}, {3, 0}}, 5), chain);
  // (0,1): root 1, chain 0 -> 1. (2,3): root 3, chain 2 -> 3. (1,3): 0 -> 1 -> 2 -> 3,
  // root 3 holding ~0. (3,0) joins nothing. Atom 4 is alone.
  EXPECT_EQ(chain, (std::vector<int32_t>{1, 2, 3, ~0, ~4}));
}

TEST(ComponentChains, IgnoresEntriesNamingMissingAtoms) {
  std::vector<int32_t> chain;
  BuildComponentChains(2, Bonds({{0, 5}, {-1, 1}, {0, 1}}, 2), chain);
  EXPECT_EQ(chain, (std::vector<int32_t>{1, ~0}));
}

TEST(Molecules, ThreeWatersMakeOneLine) {
  ATOMS_DATA f = Waters();
  const auto mols = ClassifyMolecules(f.atomCount, f.atomicNumbers.data(), f.bonds);
  qvtest::TempDir dir;
  ASSERT_EQ(WriteMoleculeFile(dir.File("w_mol.txt"), mols), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_mol.txt")), "3\tH2O1\n");
}

TEST(Molecules, FreeAtomsAreMoleculesOfTheirOwn) {
  ATOMS_DATA f;
  f.Allocate(10);
  for (int a = 0; a < 10; ++a) {
    f.atomicNumbers[a] = 1;
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = 2.5f * a + k;
  }
  const double box[9] = {30, 0, 0, 0, 30, 0, 0, 0, 30};
  std::copy(box, box + 9, f.box);
  BuildBonds(f, f.bonds, 1.2, 3);
  const auto mols = ClassifyMolecules(f.atomCount, f.atomicNumbers.data(), f.bonds);
  ASSERT_EQ(mols.size(), 1u);
  EXPECT_EQ(mols[0].count, 10);
  EXPECT_EQ(CompositionText(mols[0]), "H1");
}

TEST(Molecules, SameCountsDifferentStructureCountTogetherInOrderOfFirstRoot) {
  // C-O-H (chain 0-1-2) and H-C-O (chain 3-4-5), then a lone O (6) whose index comes
  // before the second molecule's root. Roots: 2 and 5; atom 6 is its own root.
  const int32_t z[] = {6, 8, 1, 1, 6, 8, 8};
  const auto mols = ClassifyMolecules(7, z, Bonds({{0, 1}, {1, 2}, {3, 4}, {4, 5}}, 7));
  ASSERT_EQ(mols.size(), 2u);
  EXPECT_EQ(mols[0].count, 2);
  EXPECT_EQ(CompositionText(mols[0]), "H1C1O1");
  EXPECT_EQ(CompositionText(mols[1]), "O1");
  // The order follows the roots: here the lone atom 0 is the first root.
  const int32_t z2[] = {8, 1, 1};
  const auto m2 = ClassifyMolecules(3, z2, Bonds({{1, 2}}, 3));
  EXPECT_EQ(CompositionText(m2[0]), "O1");
  EXPECT_EQ(CompositionText(m2[1]), "H2");
}

TEST(Molecules, NumbersOutsideTheTableAreCountedAsOtherLast) {
  const int32_t z[] = {-1, 150, 26, 110};
  const auto mols = ClassifyMolecules(4, z, Bonds({{0, 1}, {1, 2}, {2, 3}}, 4));
  ASSERT_EQ(mols.size(), 1u);
  EXPECT_EQ(mols[0].composition, (std::vector<std::pair<int32_t, int32_t>>{{26, 1}, {110, 1}, {119, 2}}));
  EXPECT_EQ(CompositionText(mols[0]), "Fe1X1X2");
}

TEST(Molecules, EmptyFrameGivesAnEmptyFileAndBadPathsAreReported) {
  qvtest::TempDir dir;
  BOND_INFO none;
  ASSERT_EQ(WriteMoleculeFile(dir.File("e_mol.txt"), ClassifyMolecules(0, nullptr, none)), 0);
  EXPECT_EQ(qvtest::ReadText(dir.File("e_mol.txt")), "");
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteMoleculeFile(dir.File("missing/x_mol.txt"), {}), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "error; open file\n");
}

TEST(Coordination, FileListsEveryAtomsBondCount) {
  ATOMS_DATA f = Waters();
  qvtest::TempDir dir;
  ASSERT_EQ(WriteCoordinationFile(dir.File("w_coord_0.txt"), f, f.bonds), 1);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_coord_0.txt")),
            "#index, Z, coordination\n0\tO\t2\n1\tH\t1\n2\tH\t1\n3\tH\t1\n4\tO\t2\n5\tH\t1\n"
            "6\tO\t2\n7\tH\t1\n8\tH\t1\n");
}

TEST(Coordination, EmptyBondListWritesNoFile) {
  ATOMS_DATA f = Frame({{1, {1, 1, 1}}, {1, {5, 5, 5}}});
  BuildBonds(f, f.bonds, 1.2, 3);
  qvtest::TempDir dir;
  EXPECT_EQ(WriteCoordinationFile(dir.File("c.txt"), f, f.bonds), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("c.txt")));
  ATOMS_DATA w = Waters();
  testing::internal::CaptureStdout();
  EXPECT_EQ(WriteCoordinationFile(dir.File("no/such/c.txt"), w, w.bonds), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "error; open file\n");
}

TEST(Coordination, HistogramPutsSevenAndMoreInTheLastBin) {
  ATOMS_DATA f;
  f.Allocate(5);
  BOND_INFO b;
  b.counts = {0, 6, 7, 8, 30};
  b.bondCount = 1;
  EXPECT_EQ(CoordinationHistogram(f, b), (std::array<int32_t, 8>{1, 0, 0, 0, 0, 0, 1, 3}));
}

TEST(CoordinationSeries, StepsFromTheCurrentFrameToTheEnd) {
  FakeTrajectory md;
  for (int n = 0; n < 5; ++n) {
    md.frames.push_back(Waters());
    md.frames.back().bonds = BOND_INFO();
  }
  // Frame 3 loses a hydrogen far away: 10 atoms, one free.
  ATOMS_DATA& f3 = md.frames[3];
  f3.Allocate(10);
  f3.positions[27] = 20;
  f3.positions[28] = 20;
  f3.positions[29] = 20;
  f3.atomicNumbers[9] = 1;
  md.current = 2;
  int currentFrame = 2;
  qvtest::TempDir dir;
  const int lines = WriteCoordinationSeries(dir.File("t_coord.txt"), md, currentFrame, 1,
                                            [&](int t) { return md.SetFrame(t); });
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(currentFrame, 4);
  EXPECT_EQ(md.current, 4);
  EXPECT_EQ(qvtest::ReadText(dir.File("t_coord.txt")),
            "#frame, num_atoms, coord0, 1, 2, 3, 4, 5, 6, more\n"
            "0\t9\t0\t6\t3\t0\t0\t0\t0\t0\n"
            "1\t10\t1\t6\t3\t0\t0\t0\t0\t0\n"
            "2\t9\t0\t6\t3\t0\t0\t0\t0\t0\n");
  // Every visited frame got its bonds; frames before the start were not touched.
  EXPECT_FALSE(md.frames[4].bonds.Empty());
  EXPECT_TRUE(md.frames[1].bonds.Empty());
}

TEST(CoordinationSeries, ZeroSkipStopsAfterOneLineAndOpenFailureMovesNothing) {
  FakeTrajectory md;
  md.frames.push_back(Waters());
  md.frames.push_back(Waters());
  int currentFrame = 0;
  qvtest::TempDir dir;
  EXPECT_EQ(WriteCoordinationSeries(dir.File("z_coord.txt"), md, currentFrame, 0,
                                    [&](int t) { return md.SetFrame(t); }),
            1);
  testing::internal::CaptureStdout();
  int calls = 0;
  EXPECT_EQ(WriteCoordinationSeries(dir.File("no/z_coord.txt"), md, currentFrame, 1,
                                    [&](int t) { ++calls; return md.SetFrame(t); }),
            -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "error; open file\n");
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(currentFrame, 0);
}

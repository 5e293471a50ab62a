// Files written by other programs (see tests/files/text/README.md).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TestSupport.h"
#include "data/text/TextFrames.h"

namespace {

qv::FrameList LoadFile(const std::string& name) {
  const std::string path = qvtest::TestFile("text/" + name);
  const auto format = qv::TextFormatOfPath(path);
  qv::FrameList frames;
  if (!format) return frames;
  const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  int largest = 0;
  testing::internal::CaptureStdout();
  qv::LoadTextFrames(path, *format, box, frames, largest);
  testing::internal::GetCapturedStdout();
  return frames;
}

std::map<int, int> Census(const ATOMS_DATA& f) {
  std::map<int, int> m;
  for (int i = 0; i < f.atomCount; ++i) ++m[f.atomicNumbers[i]];
  return m;
}

}  // namespace

TEST(RealFiles, OpenBabelEthanol) {
  const std::map<int, int> ethanol = {{1, 6}, {6, 2}, {8, 1}};
  auto pdb = LoadFile("ethanol_obabel.pdb");
  ASSERT_EQ(pdb.size(), 1u);
  EXPECT_EQ(Census(*pdb[0]), ethanol);
  EXPECT_FLOAT_EQ(pdb[0]->positions[0], 1.097f);
  EXPECT_FLOAT_EQ(pdb[0]->positions[8], -1.214f);
  EXPECT_FLOAT_EQ(pdb[0]->positions[26], -1.901f);

  auto xyz = LoadFile("ethanol_obabel.xyz");
  ASSERT_EQ(xyz.size(), 1u);
  EXPECT_EQ(Census(*xyz[0]), ethanol);
  EXPECT_EQ(xyz[0]->comment.value_or("?"), "\n");
  EXPECT_FLOAT_EQ(xyz[0]->positions[26], 1.01215f);
}

TEST(RealFiles, AseWaterFrames) {
  for (const char* name : {"water_ase.xyz", "water_ase_frames.pdb"}) {
    auto frames = LoadFile(name);
    ASSERT_EQ(frames.size(), 3u) << name;
    for (int k = 0; k < 3; ++k) {
      const ATOMS_DATA& f = *frames[k];
      EXPECT_EQ(f.index, k);
      EXPECT_EQ(f.sequence, k + 1);
      EXPECT_EQ(Census(f), (std::map<int, int>{{1, 2}, {8, 1}})) << name;
      EXPECT_NEAR(f.positions[2], 0.119262 + 0.1 * k, 1e-3) << name;
      EXPECT_NEAR(f.positions[4], 0.763239, 1e-3) << name;
    }
    if (std::string(name).ends_with(".pdb")) {
      EXPECT_EQ(frames[2]->step, 3);
    }
  }
}

TEST(RealFiles, AseRockSalt) {
  for (const char* name : {"nacl_ase_extxyz.xyz", "nacl_ase.pdb"}) {
    auto frames = LoadFile(name);
    ASSERT_EQ(frames.size(), 1u) << name;
    EXPECT_EQ(Census(*frames[0]), (std::map<int, int>{{11, 4}, {17, 4}})) << name;
    EXPECT_FLOAT_EQ(frames[0]->positions[3], 2.82f) << name;
  }
}

// Extended xyz written by ASE (tests/files/extxyz/make_files.py): the cell of each frame,
// the species and positions among more columns, a file without a cell.
TEST(RealFiles, AseExtendedXyz) {
  const std::string dir = "../extxyz/";
  auto copper = LoadFile(dir + "copper_tilted.xyz");
  ASSERT_EQ(copper.size(), 3u);
  for (int k = 0; k < 3; ++k) {
    const double edge = 3.6 * (1 + 0.01 * k);
    const double expected[9] = {0, edge, edge, edge, 0, edge, edge, edge, 0};
    for (int e = 0; e < 9; ++e) EXPECT_NEAR(copper[k]->box[e], expected[e], 1e-9) << k << " " << e;
    EXPECT_EQ(Census(*copper[k]), (std::map<int, int>{{29, 8}})) << "beyond the plain table's elements";
  }
  EXPECT_FLOAT_EQ(copper[0]->positions[0], 0.08820262f);

  auto water = LoadFile(dir + "water_forces.xyz");
  ASSERT_EQ(water.size(), 1u);
  EXPECT_EQ(Census(*water[0]), (std::map<int, int>{{1, 2}, {8, 1}}));
  EXPECT_DOUBLE_EQ(water[0]->box[4], 7.526478);
  EXPECT_FLOAT_EQ(water[0]->positions[2], 3.596309f) << "the charge and force columns are passed over";

  auto methane = LoadFile(dir + "methane_nocell.xyz");
  ASSERT_EQ(methane.size(), 1u);
  EXPECT_EQ(methane[0]->box[0], 10.0) << "no Lattice: the default box";
  EXPECT_EQ(Census(*methane[0]), (std::map<int, int>{{1, 4}, {6, 1}}));
}

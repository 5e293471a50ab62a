#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "MemoryTrajectory.h"
#include "TestSupport.h"
#include "data/DataSetList.h"
#include "data/md3/MD3.h"
#include "output/Conversion.h"

namespace {

// A trajectory of n frames held in memory; frame k has its first atom at (k, 0, 0).
std::shared_ptr<qvtest::MemoryTrajectory> Trajectory(int frames, int atoms, bool withVectors) {
  auto t = std::make_shared<qvtest::MemoryTrajectory>();
  for (int k = 0; k < frames; ++k) {
    ATOMS_DATA f;
    f.Allocate(atoms, true, false, withVectors);
    f.index = k;
    for (int i = 0; i < atoms; ++i) {
      f.atomicNumbers[i] = i == 1 ? -1 : 8;
      f.positions[3 * i] = static_cast<float>(k);
      f.positions[3 * i + 1] = static_cast<float>(i);
      f.positions[3 * i + 2] = 0.5f;
      if (withVectors) {
        f.vectors[3 * i] = 100.0f + k;
        f.vectors[3 * i + 1] = 0;
        f.vectors[3 * i + 2] = -1;
      }
    }
    f.box[0] = 10 + k, f.box[4] = 11, f.box[8] = 12;
    f.origin[0] = -5;
    t->frames.push_back(std::move(f));
  }
  return t;
}

struct Md3Frame {
  int count;
  std::string title;
  std::vector<float> pos, vec;
  float box[9];
};

std::vector<Md3Frame> ReadMd3(const std::string& path, int atoms) {
  std::vector<Md3Frame> out;
  vrk::MD3_Reader2<float> r;
  if (r.Open(path.c_str()) != 0) return out;
  while (r.GetCount() > 0) {
    Md3Frame f;
    f.count = r.GetCount();
    f.pos.resize(3 * atoms);
    f.vec.resize(3 * atoms);
    std::vector<int32_t> z(atoms);
    r.ResetDestinations();
    r.SetAtomicNumbers(z.data());
    r.SetPositions(f.pos.data());
    r.SetVectors2(f.vec.data());
    r.SetBox(f.box);
    r.SetTitle(&f.title);
    r.ReadFrame();
    out.push_back(f);
  }
  return out;
}

DataSetList ListWith(const std::string& path, int frames, int atoms, bool vectors,
                     int32_t type = kTypeMD) {
  DataSetList list;
  list.Append(qv::MakeEntry(type, path, Trajectory(frames, atoms, vectors)));
  return list;
}

}  // namespace

TEST(ConversionPath, CutsAtTheLastDotOfTheWholePath) {
  EXPECT_EQ(qv::ConversionPath("/data/run.xyz", "_%d.md3", 12), "/data/run_12.md3");
  EXPECT_EQ(qv::ConversionPath("/data/v1.2/run", "_%d.fa2", 3), "/data/v1_3.fa2");
  EXPECT_EQ(qv::ConversionPath("/data/run.xyz", "_all.md3", 7), "/data/run_all.md3");
}

TEST(Conversion, CurrentFrameAsMd3) {
  qvtest::TempDir dir;
  DataSetList list = ListWith(dir.File("run.xyz"), 20, 2, true);
  list[0].SetFrame(12);
  std::string written;
  ASSERT_TRUE(qv::OutputCurrentFrameMd3(list, 12, &written));
  EXPECT_EQ(written, dir.File("run_12.md3"));
  const std::string text = qvtest::ReadText(written);
  EXPECT_EQ(text.substr(0, 12), "2\nframe = 0\n");
  EXPECT_NE(text.find("   X       12.00000000"), std::string::npos) << text;  // unknown stays unknown
  auto frames = ReadMd3(written, 2);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].box[0], 22.0f);
  EXPECT_EQ(frames[0].pos[4], 1.0f);
  EXPECT_EQ(frames[0].vec[0], 0.0f);  // single-frame output carries no vectors
}

TEST(Conversion, NothingForOtherKindsOrNoData) {
  qvtest::TempDir dir;
  DataSetList empty;
  EXPECT_FALSE(qv::OutputCurrentFrameMd3(empty, 0));
  EXPECT_FALSE(qv::OutputCurrentFrameFa2(empty, 0));
  DataSetList other = ListWith(dir.File("a.cube"), 3, 2, false, kTypeScalarField);
  EXPECT_FALSE(qv::OutputCurrentFrameMd3(other, 0));
  int current = 0;
  int bitmapFrame = -1;
  auto r = qv::OutputMd3Sequence(other, current, 1, {}, [&](int f) { bitmapFrame = f; });
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(bitmapFrame, 0);  // the closing bitmap is still written
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Conversion, Md3SequenceFromFrameFiveWithSkipTwo) {
  qvtest::TempDir dir;
  DataSetList list = ListWith(dir.File("run.xyz"), 10, 3, true);
  int current = list[0].SetFrame(5);
  int bitmapFrame = -1;
  auto setAll = [&list](int t) { return list[0].SetFrame(t); };
  auto r = qv::OutputMd3Sequence(list, current, 2, setAll, [&](int f) { bitmapFrame = f; });
  EXPECT_TRUE(r.opened);
  EXPECT_EQ(r.framesWritten, 3);
  EXPECT_EQ(current, 9);
  EXPECT_EQ(bitmapFrame, 9);
  EXPECT_EQ(r.path, dir.File("run_all.md3"));
  auto frames = ReadMd3(r.path, 3);
  ASSERT_EQ(frames.size(), 3u);
  const int expected[3] = {5, 7, 9};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(frames[k].title, "converted by Quivane\n");
    EXPECT_EQ(frames[k].pos[0], static_cast<float>(expected[k]));
    EXPECT_EQ(frames[k].vec[0], 100.0f + expected[k]);  // vectors as the second vector
    EXPECT_EQ(frames[k].box[0], 10.0f + expected[k]);
  }
}

TEST(Conversion, Md3SequenceThatCannotCreateItsFileLeavesTheFrame) {
  qvtest::TempDir dir;
  DataSetList list = ListWith(dir.File("missing/run.xyz"), 10, 3, false);
  int current = 0;
  int moves = 0;
  int bitmapFrame = -1;
  auto r = qv::OutputMd3Sequence(
      list, current, 1, [&](int t) { ++moves; return list[0].SetFrame(t); },
      [&](int f) { bitmapFrame = f; });
  EXPECT_FALSE(r.opened);
  EXPECT_EQ(moves, 0);
  EXPECT_EQ(current, 0);
  EXPECT_EQ(bitmapFrame, 0);
}

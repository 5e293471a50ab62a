// Text formats loaded through the trajectory container.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "data/MDLoader.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

const char kMd3[] =
    "2\n"
    "first\n"
    "BOX 10 0 0 0 10 0 0 0 10\n"
    "O 0 0 0\n"
    "H 0.96 0 0\n"
    "1\n"
    "second, no box\n"
    "Fe 1 2 3\n";

}  // namespace

TEST(MDLoaderText, Md3FramesStayInMemoryAndTheEndStops) {
  qvtest::TempDir dir;
  const std::string path = dir.File("a.md3");
  qvtest::WriteText(path, kMd3);
  MDLoader loader;
  CaptureStdout();
  EXPECT_EQ(loader.Open(path), MDLoader::kFormatInMemory);
  EXPECT_EQ(GetCapturedStdout(), "2 frame loaded\n");
  ASSERT_EQ(loader.SlotCount(), 2u);
  EXPECT_EQ(loader.LargestAtomCount(), 2);
  EXPECT_EQ(loader.SetFrame(1), 1);
  const ATOMS_DATA* f = loader.GetCurrentFrame();
  ASSERT_TRUE(f);
  EXPECT_EQ(f->index, 1);
  EXPECT_EQ(f->step, 1);
  EXPECT_EQ(f->box[4], 10.0);  // carried over from the first frame
  EXPECT_EQ(f->atomicNumbers[0], 26);
  EXPECT_EQ(loader.SetFrame(2), 1);  // stepping past the end fails
  EXPECT_EQ(loader.SetFrame(7), 1);
  EXPECT_EQ(loader.ResidentCount(), 2u);
}

TEST(MDLoaderText, MdIsReadAsXyzWithTheDefaultBox) {
  qvtest::TempDir dir;
  LoadOptions options;
  options.defaultBox[0] = 7.0f;
  const std::string path = dir.File("a.md");
  qvtest::WriteText(path, "1\nt1\ncl 1 2 3\n2\nt2\nH 0 0 0\nO 1 1 1\n");
  MDLoader loader(options);
  CaptureStdout();
  EXPECT_EQ(loader.Open(path), MDLoader::kFormatInMemory);
  EXPECT_EQ(GetCapturedStdout(), "2 frame loaded\n");
  ASSERT_EQ(loader.SlotCount(), 2u);
  EXPECT_EQ(loader.LargestAtomCount(), 2);
  loader.SetFrame(1);
  const ATOMS_DATA* f = loader.GetCurrentFrame();
  EXPECT_EQ(f->index, 1);
  EXPECT_EQ(f->sequence, 2);
  EXPECT_EQ(f->box[0], 7.0);
}

TEST(MDLoaderText, OpenFailuresAndEmptyFiles) {
  qvtest::TempDir dir;
  MDLoader md3;
  CaptureStdout();
  EXPECT_EQ(md3.Open(dir.File("none.md3")), MDLoader::kFormatFailed);
  EXPECT_EQ(GetCapturedStdout(), "error: file cannot be opened\nファイルのオープンに失敗しました : " +
                                     dir.File("none.md3") + "\n");
  EXPECT_EQ(md3.GetCurrentFrame(), nullptr);

  MDLoader pdb;
  CaptureStdout();
  EXPECT_EQ(pdb.Open(dir.File("none.pdb")), MDLoader::kFormatFailed);
  EXPECT_EQ(GetCapturedStdout(), "ファイルのオープンに失敗しました : " + dir.File("none.pdb") + "\n");

  const std::string empty = dir.File("empty.xyz");
  qvtest::WriteText(empty, "");
  MDLoader xyz;
  CaptureStdout();
  xyz.Open(empty);
  EXPECT_EQ(GetCapturedStdout(), "0 frame loaded\n");
  EXPECT_EQ(xyz.SlotCount(), 0u);
  EXPECT_EQ(xyz.GetCurrentFrame(), nullptr);
}


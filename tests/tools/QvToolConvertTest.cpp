// Transcript tests of `qvtool convert`, run on the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"

using namespace qvtest;

namespace {

std::string Tool(const std::string& args) { return std::string(QV_QVTOOL_PATH) + " " + args; }

// n frames of a water molecule; in frame k the oxygen sits at x = k.
std::string WaterXyz(const TempDir& dir, int frames, const std::string& name = "run.xyz") {
  std::string text;
  for (int k = 0; k < frames; ++k) {
    text += "3\nframe " + std::to_string(k) + "\nO " + std::to_string(k) +
            " 0 0\nH 0.96 0 0\nH -0.24 0.93 0\n";
  }
  const std::string path = dir.File(name);
  WriteText(path, text);
  return path;
}

}  // namespace

TEST(QvToolConvert, CurrentFrameAsMd3ReadsBack) {
  TempDir dir;
  const std::string path = WaterXyz(dir, 15);
  std::string out;
  ASSERT_EQ(RunCommand(Tool("convert " + path + " --to md3 --frame 12 --set "
                                                "\"BASIC:DefaultBox=20 0 0 0 21 0 0 0 22\""),
                       &out),
            0);
  const std::string md3 = dir.File("run_12.md3");
  // The loader reports the frames it read, as the viewer does on its console.
  EXPECT_EQ(out, "wrote " + md3 + "\n");
  const std::string text = ReadText(md3);
  EXPECT_EQ(text.substr(0, 12), "3\nframe = 0\n");
  EXPECT_NE(text.find("BOX       20.00000000"), std::string::npos) << text;
  out.clear();
  ASSERT_EQ(RunCommand(Tool("dump " + md3), &out), 0);
  EXPECT_EQ(out, "0 8 12 0 0\n1 1 0.959999979 0 0\n2 1 -0.239999995 0.930000007 0\n");
}

TEST(QvToolConvert, CurrentFrameAsFa2HasTheDocumentedSize) {
  TempDir dir;
  const std::string path = WaterXyz(dir, 2, "w.v1.xyz");
  std::string out;
  ASSERT_EQ(RunCommand(Tool("convert " + path + " --to fa2 --frame 1 --set "
                                                "\"BASIC:DefaultBox=20 0 0 0 21 0 0 0 22\""),
                       &out),
            0);
  const std::string fa2 = dir.File("w.v1_1.fa2");
  EXPECT_EQ(out, "wrote " + fa2 + "\n");
  EXPECT_EQ(std::filesystem::file_size(fa2), 32u + 48u + 3u + 12u * 3u);
  out.clear();
  ASSERT_EQ(RunCommand(Tool("dump " + fa2), &out), 0);
  EXPECT_EQ(out, "0 8 1 0 0\n1 1 0.959999979 0 0\n2 1 -0.239999995 0.930000007 0\n");
  out.clear();
  ASSERT_EQ(RunCommand(Tool("info " + fa2), &out), 0);
  EXPECT_NE(out.find("  box 20 0 0 0 21 0 0 0 22\n  origin 0 0 0\n"), std::string::npos) << out;
}

TEST(QvToolConvert, AllFramesFromFiveWithSkipTwo) {
  TempDir dir;
  const std::string path = WaterXyz(dir, 10);
  std::string out;
  ASSERT_EQ(RunCommand(Tool("convert " + path + " --all --frame 5 --skip 2 --settings /dev/null"), &out), 0);
  const std::string all = dir.File("run_all.md3");
  // The viewer's command closes with the bitmap of the frame reached, at the window size.
  const std::string bmp = dir.File("run0009.bmp");
  EXPECT_EQ(out, "wrote " + all + ": 3 frames from frame 5 to frame 9, skip 2\n" +
                     "wrote " + bmp + "\n");
  const std::vector<unsigned char> bytes = ReadFile(bmp);
  ASSERT_EQ(bytes.size(), 54u + 640u * 3u * 480u);
  EXPECT_EQ(bytes[18] | bytes[19] << 8, 640);
  EXPECT_EQ(bytes[22] | bytes[23] << 8, 480);
  out.clear();
  ASSERT_EQ(RunCommand(Tool("dump " + all + " --frame 2"), &out), 0);
  EXPECT_EQ(out.substr(0, 10), "0 8 9 0 0\n");

  // A skip past the end writes the selected frame only; it never wraps round to frame 0.
  out.clear();
  ASSERT_EQ(RunCommand(Tool("convert " + path + " --all --frame 1 --skip 2147483647 --settings /dev/null"), &out),
            0);
  EXPECT_EQ(out.substr(0, out.find('\n') + 1),
            "wrote " + all + ": 1 frames from frame 1 to frame 9, skip 2147483647\n");
}

TEST(QvToolConvert, UsageErrorsAndMissingData) {
  TempDir dir;
  const std::string path = WaterXyz(dir, 2);
  std::string out;
  EXPECT_EQ(RunCommand(Tool("convert " + path + " 2>&1"), &out), 2);
  EXPECT_EQ(RunCommand(Tool("convert " + path + " --to md3 --all 2>/dev/null"), nullptr), 2);
  EXPECT_EQ(RunCommand(Tool("convert " + path + " --to pdb 2>/dev/null"), nullptr), 2);
  EXPECT_EQ(RunCommand(Tool("convert " + path + " --to md3 --skip 2 2>/dev/null"), nullptr), 2);
  EXPECT_EQ(RunCommand(Tool("convert " + path + " --all --skip 0 2>/dev/null"), nullptr), 2);
  EXPECT_EQ(RunCommand(Tool("convert " + dir.File("none.xyz") + " --to md3 2>/dev/null"), nullptr),
            1);
  EXPECT_EQ(RunCommand(Tool("convert " + path + " --to md3 --frame 5 2>/dev/null"), nullptr), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("run_0.md3")));
}

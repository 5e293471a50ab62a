// Transcript tests of `qvtool info` and `qvtool dump`, run on the built program.
#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "TestSupport.h"

using namespace qvtest;

namespace {

std::string Tool(const std::string& args) { return std::string(QV_QVTOOL_PATH) + " " + args; }

// Frame 0: water in a 10 Å box; frame 1: one iron atom in a 5 Å box.
std::string TwoFrames(const TempDir& dir) {
  Bytes b;
  Fa2Frame(b, 0, {8, 1, 1}, {0, 0, 0, 0.96f, 0, 0, -0.24f, 0.93f, 0}, 10);
  Fa2Frame(b, 1, {26}, {1.5f, 2.25f, -3}, 5);
  const std::string path = dir.File("two.fa2");
  WriteFile(path, b.data);
  return path;
}

}  // namespace

TEST(QvToolInfo, JsonListsEveryFrame) {
  TempDir dir;
  const std::string path = TwoFrames(dir);
  std::string out;
  ASSERT_EQ(RunCommand(Tool("info " + path + " --json"), &out), 0);
  EXPECT_EQ(out,
            "{\"type\":1,\"frames\":2,\"frame_list\":["
            "{\"index\":0,\"atoms\":3,\"box\":[10,0,0,0,10,0,0,0,10],\"origin\":[0,0,0],"
            "\"elements\":{\"8\":1,\"1\":2}},"
            "{\"index\":1,\"atoms\":1,\"box\":[5,0,0,0,5,0,0,0,5],\"origin\":[0,0,0],"
            "\"elements\":{\"26\":1}}]}\n");
}

TEST(QvToolInfo, TextTranscript) {
  TempDir dir;
  const std::string path = TwoFrames(dir);
  std::string out;
  // --frame selects where the viewer would start; info still lists every frame.
  ASSERT_EQ(RunCommand(Tool("info " + path + " --frame 1"), &out), 0);
  EXPECT_EQ(out, "file: " + path +
                     "\n"
                     "type: 1\n"
                     "frames: 2\n"
                     "frame 0: atoms 3\n"
                     "  box 10 0 0 0 10 0 0 0 10\n"
                     "  origin 0 0 0\n"
                     "  elements 8:1 1:2\n"
                     "frame 1: atoms 1\n"
                     "  box 5 0 0 0 5 0 0 0 5\n"
                     "  origin 0 0 0\n"
                     "  elements 26:1\n");
}

TEST(QvToolInfo, NothingLoadedAndUsageErrors) {
  TempDir dir;
  const std::string path = TwoFrames(dir);
  const std::string upper = dir.File("TWO.FA2");
  WriteFile(upper, ReadFile(path));
  std::string out;
  EXPECT_EQ(RunCommand(Tool("info " + upper + " 2>&1"), &out), 1);
  EXPECT_NE(out.find("nothing loaded from '" + upper + "'"), std::string::npos) << out;
  out.clear();
  EXPECT_EQ(RunCommand(Tool("info " + dir.File("missing.fa2") + " 2>&1 >/dev/null"), &out), 1);
  EXPECT_EQ(out, "error: file cannot be opened\nファイルのオープンに失敗しました : " +
                     dir.File("missing.fa2") + "\nqvtool: nothing loaded from '" +
                     dir.File("missing.fa2") + "'\n");
  EXPECT_EQ(RunCommand(Tool("info 2>/dev/null"), nullptr), 2);
  // Only the looked-up setting.ini may be missing; a path given by hand must exist.
  out.clear();
  EXPECT_EQ(RunCommand(Tool("info " + path + " --settings " + dir.File("typo.ini") + " 2>&1"), &out), 2);
  EXPECT_EQ(out, "qvtool: settings file '" + dir.File("typo.ini") + "' does not exist\n");
  EXPECT_EQ(RunCommand(Tool("info " + path + " --bogus 2>/dev/null"), nullptr), 2);
}

TEST(QvToolInfo, BundledExampleIsAValidTrajectory) {
  std::string out;
  ASSERT_EQ(RunCommand(Tool("info " + std::string(QV_SOURCE_DIR) + "/examples/water.fa2 --json"), &out),
            0);
  EXPECT_EQ(out.rfind("{\"type\":1,\"frames\":10,", 0), 0u) << out.substr(0, 80);
  EXPECT_NE(out.find("\"index\":9,\"atoms\":192,\"box\":[12.3999996,0,0,0,12.3999996,0,0,0,"
                     "12.3999996],\"origin\":[0,0,0],\"elements\":{\"8\":64,\"1\":128}}]}"),
            std::string::npos);
}

TEST(QvToolDump, SelectedFrameOneLinePerAtom) {
  TempDir dir;
  const std::string path = TwoFrames(dir);
  std::string out;
  ASSERT_EQ(RunCommand(Tool("dump " + path), &out), 0);
  EXPECT_EQ(out,
            "0 8 0 0 0\n"
            "1 1 0.959999979 0 0\n"
            "2 1 -0.239999995 0.930000007 0\n");
  out.clear();
  ASSERT_EQ(RunCommand(Tool("dump " + path + " --frame 1"), &out), 0);
  EXPECT_EQ(out, "0 26 1.5 2.25 -3\n");
  out.clear();
  EXPECT_EQ(RunCommand(Tool("dump " + path + " --frame 2 2>&1"), &out), 1);
  EXPECT_NE(out.find("has no frame 2 (the last frame is 1)"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(Tool("dump " + path + " --frame x 2>/dev/null"), nullptr), 2);
  EXPECT_EQ(RunCommand(Tool("dump " + path + " --frame -1 2>/dev/null"), nullptr), 2);
}

// Standard output is the product: the loaders' own console lines ("3 frame loaded") must not
// precede the JSON object or the atom lines, or scripts cannot parse them.
TEST(QvToolInfo, TextFormatsKeepStandardOutputPure) {
  const std::string xyz = std::string(QV_SOURCE_DIR) + "/examples/water.xyz";
  std::string out, both;
  ASSERT_EQ(RunCommand(Tool("info " + xyz + " --json"), &out), 0);
  EXPECT_EQ(out.rfind("{\"type\":1,\"frames\":3,", 0), 0u) << out.substr(0, 80);
  EXPECT_EQ(out.back(), '\n');
  EXPECT_EQ(out.find('\n'), out.size() - 1);  // exactly one line

  out.clear();
  ASSERT_EQ(RunCommand(Tool("dump " + xyz), &out), 0);
  EXPECT_EQ(out.rfind("0 8 ", 0), 0u) << out.substr(0, 40);

  ASSERT_EQ(RunCommand(Tool("dump " + xyz + " 2>&1 >/dev/null"), &both), 0);
  EXPECT_EQ(both, "3 frame loaded\n");  // still reported, on standard error
}

// An engine dump: timesteps in the listing, atom types named through the settings key.
TEST(QvToolInfo, EngineDumpTimestepsAndTypeElements) {
  const std::string dump = TestFile("lammps/shrinking.lammpstrj");
  std::string out;
  ASSERT_EQ(RunCommand(Tool("info " + dump + " --json --settings /dev/null --set \"LAMMPS:TypeElements=Cu O\""), &out), 0);
  for (const char* expected : {"\"frames\":4,", "{\"index\":0,\"atoms\":32,\"timestep\":0,",
                               "{\"index\":3,\"atoms\":28,\"timestep\":15,", "\"elements\":{\"29\":23,\"8\":9}"})
    EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
}

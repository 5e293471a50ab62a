// Frame ranges of qvtool: the slice rules against indices computed by an independent
// implementation (the scripting language whose slices they follow), then transcripts.
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "TestSupport.h"
#include "tools/qvtool/QvTool.h"

namespace {

int Qvtool(const std::string& args, std::string* out) {
  return qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " " + args + " --settings /dev/null 2>&1", out);
}

}  // namespace

TEST(FrameSlice, FollowsTheSliceRules) {
  struct Case {
    const char* text;
    int count;
    std::vector<int> frames;
  };
  // Expected values printed by list(range(count))[slice(...)].
  const Case cases[] = {
      {"0:3", 5, {0, 1, 2}},      {"-2:", 5, {3, 4}},      {"::-1", 4, {3, 2, 1, 0}},
      {"::2", 7, {0, 2, 4, 6}},   {"1:-1", 5, {1, 2, 3}},  {"-100:2", 5, {0, 1}},
      {"5:9", 3, {}},             {"3:1", 5, {}},          {"3:1:-1", 5, {3, 2}},
      {":-10", 5, {}},            {"-1::-2", 6, {5, 3, 1}}, {"2:2", 5, {}},
      {"::3", 0, {}},
  };
  for (const Case& c : cases) {
    qvtool::FrameSlice s;
    std::string why;
    ASSERT_TRUE(qvtool::ParseFrameSlice(c.text, s, why)) << c.text << ": " << why;
    EXPECT_EQ(qvtool::SliceIndices(s, c.count), c.frames) << c.text << " of " << c.count;
  }
  for (const char* bad : {"", "3", "1:2:3:4", "a:b", "1:2:0", "1.5:2", "::99999999999999999"}) {
    qvtool::FrameSlice s;
    std::string why;
    EXPECT_FALSE(qvtool::ParseFrameSlice(bad, s, why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
  std::string name;
  EXPECT_TRUE(qvtool::FramePatternName("out_%04d.png", 7, name));
  EXPECT_EQ(name, "out_0007.png");
  EXPECT_TRUE(qvtool::FramePatternName("100%%_%d", 12, name));
  EXPECT_EQ(name, "100%_12");
  for (const char* bad : {"out.png", "%s.png", "%d_%d.png", "%n", "%-4d", "%04x"})
    EXPECT_FALSE(qvtool::FramePatternName(bad, 1, name)) << bad;
}

TEST(QvToolFrames, OneOutputPerFrameOfTheRange) {
  qvtest::TempDir dir;
  const std::string f = fa2test::WriteWaters(dir.File("w.fa2"), 5);
  std::string out;
  ASSERT_EQ(Qvtool("bonds " + f + " --frames -2: --cutoff 1.2", &out), 0) << out;
  EXPECT_EQ(out.find("frame 3\nbonds "), 0u) << out;
  EXPECT_NE(out.find("\nframe 4\nbonds "), std::string::npos) << out;
  out.clear();
  ASSERT_EQ(Qvtool("bonds " + f + " --frames 2::-2 --json --cutoff 1.2", &out), 0) << out;
  EXPECT_EQ(out.find("{\"frame\":2,\"bonds\":"), 0u) << out;
  EXPECT_NE(out.find("}\n{\"frame\":0,\"bonds\":"), std::string::npos) << out;

  out.clear();
  ASSERT_EQ(Qvtool("molecules " + f + " --frames 1:3 --cutoff 1.2", &out), 0) << out;
  for (const char* name : {"w_mol_1.txt", "w_mol_2.txt", "w_coord_1.txt", "w_coord_2.txt"})
    EXPECT_TRUE(std::filesystem::exists(dir.File(name))) << name;
  EXPECT_FALSE(std::filesystem::exists(dir.File("w_mol_0.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("w_mol.txt")));

  out.clear();
  ASSERT_EQ(Qvtool("render " + f + " --frames 0:2 --size 32x24 -o " + dir.File("r_%02d.png"), &out), 0) << out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("r_00.png")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("r_01.png")));

  // A range running past the end ends with the last frame; one that selects nothing fails.
  out.clear();
  ASSERT_EQ(Qvtool("convert " + f + " --to fa2 --frames 3:100", &out), 0) << out;
  EXPECT_TRUE(std::filesystem::exists(dir.File("w_3.fa2")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("w_4.fa2")));
  out.clear();
  EXPECT_EQ(Qvtool("stl " + f + " --frames 7:9", &out), 1);
  EXPECT_NE(out.find("selects no frame"), std::string::npos) << out;

  // Usage errors come before anything is loaded or written.
  for (const char* bad : {"--frames 1:2 --frame 1", "--frames 1", "--frames ::0"}) {
    out.clear();
    EXPECT_EQ(Qvtool("eps " + f + " " + bad, &out), 2) << bad;
  }
  EXPECT_EQ(Qvtool("render " + f + " --frames 0:2 -o " + dir.File("same.png"), &out), 2);
  EXPECT_EQ(Qvtool("convert " + f + " --all --frames 0:2", &out), 2);
  EXPECT_EQ(Qvtool("dump " + f + " --frames 0:2", &out), 2) << "not a ranged command";
  EXPECT_FALSE(std::filesystem::exists(dir.File("same.png")));
}

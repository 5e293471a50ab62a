// Transcript tests of `qvtool info --json` and `qvtool dump` for lattice event data,
// particle event records and gridded point data.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"

using namespace qvtest;

namespace {

std::string Tool(const std::string& args) { return std::string(QV_QVTOOL_PATH) + " " + args; }

struct Transcript {
  std::string file, args, out;
};

class ReplayKindsTool : public ::testing::TestWithParam<Transcript> {
 protected:
  void SetUp() override {
    WriteText(dir.File("a.lmc"),
              "ELEMENTS Fe Cu\nGRID 2 1 1\nBOX 2 0 0 0 1 0 0 0 1\nINIT Fe 2\nINIT Cu 1\n"
              "STEP 0.5\nEVENT 1 0 0 Fe 3\nEVENT 0 0 0 Fe -2\nSTEP 1\nEVENT 0 0 0 Cu 1\n");
    // Out of time order on purpose; z mirrored by the default "TrajectoryZReverse".
    WriteText(dir.File("a.krb"),
              "BOX 10 0 0 0 10 0 0 0 10 0 0 0\n0 X H 5 1 2 3\n1 X Zz 7 1 1 1\n3 DEL H 5 0 0 0\n"
              "2 BCA O 9 1 1 1\n");
    const auto values = [&](const std::string& name, std::vector<float> v) {
      std::vector<unsigned char> b;
      const auto put = [&](uint32_t u) {
        for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<unsigned char>(u >> s));
      };
      put(static_cast<uint32_t>(4 * v.size()));
      for (float f : v) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        put(u);
      }
      WriteFile(dir.File(name), b);
    };
    values("x", {0, 1});
    values("y", {0, 2});
    values("z", {0, 0.5f});
    values("p0", {1, 3});
    values("p1", {-1, 8});
    values("t0", {0.25f, 0.5f});
    values("t1", {2, 4});
    WriteText(dir.File("a.vmec"), "grids 2 1 1 1\nDATA.Species 2\nCoordinate.X x\nCoordinate.Y y\n"
                                  "Coordinate.Z z\nColor.2.Range 0 1\n"
                                  "DATA.1.Begin\np0\np1\nDATA.1.End\nDATA.2.Begin\nt0\nt1\nDATA.2.End\n");
  }
  TempDir dir;
};

TEST_P(ReplayKindsTool, PrintsTheKindsFields) {
  std::string out;
  ASSERT_EQ(RunCommand(Tool(GetParam().args + " " + dir.File(GetParam().file) + " 2>/dev/null"), &out), 0);
  EXPECT_EQ(out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Transcripts, ReplayKindsTool,
    ::testing::Values(
        Transcript{"a.lmc", "info --json --frame 1",
                   "{\"type\":4,\"frames\":3,\"box\":[2,0,0,0,1,0,0,0,1],\"origin\":[0,0,0],"
                   "\"grid\":[2,1,1],\"species\":[\"Fe\",\"Cu\"],\"steps\":2,\"events\":3,"
                   "\"frame\":{\"index\":1,\"occupied_cells\":1,\"counts\":{\"Fe\":3,\"Cu\":1}}}\n"},
        Transcript{"a.lmc", "dump --frame 2", "0 0 0 Cu 1\n1 0 0 Fe 3\n1 0 0 Cu 1\n"},
        Transcript{"a.krb", "info --json --frame 2",
                   "{\"type\":7,\"frames\":4,\"box\":[10,0,0,0,10,0,0,0,10],\"origin\":[0,0,-10],"
                   "\"records\":4,\"last_time\":3,\"frame\":{\"index\":2,\"visible_records\":3,"
                   "\"live\":3,\"live_by_species\":{\"H\":1,\"O\":1,\"?\":1}}}\n"},
        Transcript{"a.krb", "dump --frame 3", "7 ? 1 1 -1\n9 O 1 1 -1\n"},
        Transcript{"a.vmec", "info --json --frame 1",
                   "{\"type\":6,\"frames\":2,\"box\":[1,0,0,0,2,0,0,0,0.5],\"origin\":[0,0,0],"
                   "\"grids\":[2,1,1,1],\"points\":2,\"quantities\":2,\"ramp\":[[0.25,3],[0,1]],"
                   "\"alpha\":0.00999999978,\"frame\":{\"index\":1,\"min\":[-1,2],\"max\":[8,4]}}\n"},
        Transcript{"a.vmec", "dump --frame 1", "0 0 0 -1 2\n1 2 0.5 8 4\n"}));

TEST_F(ReplayKindsTool, ABrokenFileLoadsNothingAndSaysWhy) {
  WriteText(dir.File("bad.lmc"), "ELEMENTS Fe\nGRID 2 2\n");
  std::string out;
  EXPECT_EQ(RunCommand(Tool("info " + dir.File("bad.lmc") + " 2>&1"), &out), 1);
  EXPECT_NE(out.find("GRID needs three positive integers"), std::string::npos) << out;
  EXPECT_EQ(RunCommand(Tool("info " + dir.File("a.vmec") + " --frame 2 2>&1"), &out), 1);
}

}  // namespace

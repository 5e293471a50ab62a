// qvtool stl: the batch form of the two STL commands.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "Fa2Frames.h"
#include "TestSupport.h"
#include "output/StlMeshCheck.h"

namespace {

class QvToolStl : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two frames of three atoms in a 10 Å cube; in the second the last atom sits at x = 9.8.
    input = dir.File("run.fa2");
    qvtest::Bytes b;
    for (int frame = 0; frame < 2; ++frame) {
      fa2test::AppendFrame(b, frame, {10, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0},
                           {{1, 1, 1, 1}, {8, 2, 2, 2}, {1, frame ? 9.8f : 3.f, 3, 3}});
    }
    qvtest::WriteFile(input, b.data);
  }
  // Runs qvtool with defaults for every setting (an empty settings file).
  int Run(const std::string& options, std::string* out = nullptr) {
    std::string dummy;
    return qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " stl '" + input +
                                  "' --settings /dev/null " + options + " 2>&1",
                              out ? out : &dummy);
  }

  qvtest::TempDir dir;
  std::string input;  // the input trajectory
};

TEST_F(QvToolStl, SpheresBesideTheInputNamedByFrame) {
  std::string out;
  ASSERT_EQ(Run("", &out), 0) << out;
  EXPECT_EQ(out, dir.File("run_0.stl") + "\n");
  EXPECT_EQ(qvtest::ReadFile(dir.File("run_0.stl")).size(), 84u + 50u * 3 * 48);
  ASSERT_EQ(Run("--frame 1 --set OUTPUT:STLAtomPoly=2", &out), 0) << out;
  EXPECT_EQ(qvtest::ReadFile(dir.File("run_1.stl")).size(), 84u + 50u * 3 * 8);
}

TEST_F(QvToolStl, GridSurfaceIsClosed) {
  std::string out;
  ASSERT_EQ(
      Run("--grid --frame 1 --set OUTPUT:AtomRadius=1.2 --set OUTPUT:STLGridCutoffEdgeZ=1", &out),
      0)
      << out;
  const auto f = stltest::ReadStl(dir.File("run_1.stl"));
  ASSERT_TRUE(f.ok);
  const auto r = stltest::CheckMesh(f.triangles);
  EXPECT_GT(r.triangles, 0u);
  EXPECT_TRUE(r.Closed());
  EXPECT_EQ(r.min[2], 0);  // the lowest kept layer
  // The top of the atom at (9.8, 3, 3): z = 3 + sqrt(1.2² - 0.2²), one layer lower.
  EXPECT_NEAR(r.max[2], 3 + std::sqrt(1.44 - 0.04) - 1, 1e-3);
}

TEST_F(QvToolStl, BadSettingsAndFramesFailWithAReason) {
  std::string out;
  EXPECT_EQ(Run("--grid --set OUTPUT:STLGridWidth=0", &out), 1);
  EXPECT_NE(out.find("STLGridWidth"), std::string::npos) << out;
  EXPECT_EQ(Run("--grid --set OUTPUT:STLGridWidth=0.00001", &out), 1);
  EXPECT_NE(out.find("too large"), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(dir.File("run_0.stl")));
  EXPECT_EQ(Run("--frame 5", &out), 1);
  EXPECT_EQ(Run("--grid=1", &out), 2);
}

TEST_F(QvToolStl, HelpListsTheCommand) {
  std::string out;
  ASSERT_EQ(qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " --help", &out), 0);
  EXPECT_NE(out.find("qvtool stl FILE [--frame N] [--grid]"), std::string::npos) << out;
}

}  // namespace

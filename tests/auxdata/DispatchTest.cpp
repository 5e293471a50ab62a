// The auxiliary rows through the loading dispatch: which files add a data set, of which
// type, with which box for the camera and which frame range.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "auxdata/field/Field3DLoader.h"
#include "auxdata/scattering/BCALoader.h"
#include "auxdata/spk/SPK_Container.h"
#include "data/DataSetList.h"
#include "data/DataTypeRegistry.h"

namespace {

struct Case {
  const char* name;
  const char* file;
  std::string content;
  int32_t type;   // 0: nothing is added
  int lastFrame;  // what set frame reaches for a large target
  double size;    // of the view bounds
  double centreX;
};

class AuxDispatch : public testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    DataTypeRegistry& r = DataTypeRegistry::Instance();
    qv::RegisterScatteringTypes(r);
    qv::RegisterFieldTypes(r);
    qv::RegisterSpkTypes(r);
  }
};

TEST_P(AuxDispatch, AddsTheDataSetOrNothing) {
  const Case& c = GetParam();
  qvtest::TempDir dir;
  const std::string path = dir.File(c.file);
  qvtest::WriteText(path, c.content);
  DataSetList list;
  testing::internal::CaptureStdout();
  list.OpenDataFile(path, LoadOptions{});
  const std::string console = testing::internal::GetCapturedStdout();
  if (c.type == 0) {
    EXPECT_EQ(list.Size(), 0u) << console;
    EXPECT_FALSE(console.empty()) << "the reader says why";
    return;
  }
  ASSERT_EQ(list.Size(), 1u) << console;
  EXPECT_EQ(list[0].type, c.type);
  EXPECT_EQ(list[0].SetFrame(1 << 20), c.lastFrame);
  EXPECT_EQ(list[0].SetFrame(0), 0);
  double size = 0, centre[3];
  ASSERT_TRUE(list.GetViewBounds(size, centre));
  EXPECT_DOUBLE_EQ(size, c.size);
  EXPECT_DOUBLE_EQ(centre[0], c.centreX);
}

const char kCube[] = "c\nc\n 0 1 0 0\n 2 2 0 0\n 1 0 1 0\n 1 0 0 1\n0.5 1\n";

INSTANTIATE_TEST_SUITE_P(
    Files, AuxDispatch,
    testing::Values(
        Case{"Traj", "a.traj", "BOX 8 0 0 0 4 0 0 0 4 1 0 0\n0 0 0 0\n1 1 1 3\n\n", 2, 2, 16, 5},
        Case{"TxtWithDerivedBox", "a.txt", "-2 0 0\n3 1 1\n\n", 2, 0, 12, 0},
        Case{"TrajWithoutPoints", "a.traj", "\n\nBOX 1 0 0 0 1 0 0 0 1 0 0 0\n", 0, 0, 0, 0},
        Case{"Cube", "a.cube", kCube, 3, 0, 8, 3},
        Case{"CubeOfTheWrongSize", "a.cube", std::string(kCube) + "7\n", 0, 0, 0, 0},
        Case{"BifWithoutMagic", "a.bif", "BINFIELX00000000", 0, 0, 0, 0},
        Case{"Spk", "a.spk", "2 1\nt\nBOX 10 0 0 0 10 0 0 0 10 0 0 0\nSITE 1 5 5\nSITE 9 5 5\n"
                             "PATH 0 1 0 0\n", 1, 0, 20, 5},
        Case{"SpkWithoutSites", "a.spk", "0 0\n", 0, 0, 0, 0}),
    [](const testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace

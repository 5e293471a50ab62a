// The menu commands reach the real analysis, conversion, EPS and STL work on a real file.
#include <gtest/gtest.h>

#include <filesystem>

#include "AppFakes.h"
#include "FakeMenu.h"
#include "TestSupport.h"
#include "app/StandardWork.h"

using namespace qv::cmd;
namespace fs = std::filesystem;

namespace {
struct Loaded {
  qvtest::TempDir dir;
  Quivane app;
  FakeShell shell;
  FakeCamera camera;
  FakeMenu menu;
  std::unique_ptr<Commands> cmds;
  std::vector<int> bitmaps;
  Loaded() {
    fs::copy_file(std::string(QV_SOURCE_DIR) + "/examples/water.fa2", dir.File("water.fa2"));
    cmds = std::make_unique<Commands>(app, shell, camera);
    cmds->AttachMenu(&menu);
    BindStandardWork(*cmds, app);
    cmds->work.writeBitmap = [this](int n) {
      bitmaps.push_back(n);
      return std::string("b.bmp");
    };
    cmds->Resize(640, 480);
    cmds->OpenFiles({dir.File("water.fa2")});
  }
  bool Has(const std::string& name) const { return fs::exists(dir.path() / name); }
};
}  // namespace

TEST(StandardWork, OutputMenuWritesTheCurrentFrame) {
  Loaded l;
  ASSERT_EQ(l.app.dataSets.Size(), 1u);
  l.cmds->OnKey(Key::X, false, false);
  ASSERT_EQ(l.app.currentFrame, 1);
  for (int id : {kMd3, kFa2, kStl, kEps}) l.cmds->Command(id);
  EXPECT_TRUE(l.Has("water_1.md3"));
  EXPECT_TRUE(l.Has("water_1.fa2"));
  EXPECT_TRUE(l.Has("water_1.stl"));
  EXPECT_TRUE(l.Has("water1.eps"));
  l.cmds->Command(kStlGrid);  // the same name, grid form
  EXPECT_GT(fs::file_size(l.dir.path() / "water_1.stl"), 84u);
}

TEST(StandardWork, AnalysesWriteTheirReports) {
  Loaded l;
  testing::internal::CaptureStdout();
  l.cmds->Command(kRedetermineBonds);
  l.cmds->Command(kClassifyMolecules);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(l.Has("water_mol.txt"));
  EXPECT_TRUE(l.Has("water_coord_0.txt"));
  l.cmds->Command(kCoordinationSeries);
  EXPECT_TRUE(l.Has("water_coord.txt"));
  EXPECT_EQ(l.shell.lastStep, 10) << "progress after each of the ten frames";
  EXPECT_EQ(l.shell.status, "Bond coordination number (time series): wrote " + l.dir.File("water_coord.txt") +
                                " (10 frames)");
}

TEST(StandardWork, Md3SequenceWritesEveryFrameThenOneBitmap) {
  Loaded l;
  l.cmds->Command(kSkip2);
  l.cmds->Command(kMd3Sequence);
  EXPECT_TRUE(l.Has("water_all.md3"));
  EXPECT_EQ(l.shell.lastStep, 5) << "progress after each of the five frames written";
  ASSERT_EQ(l.bitmaps.size(), 1u);
  EXPECT_EQ(l.bitmaps[0], l.app.currentFrame);
  EXPECT_GT(l.app.currentFrame, 0);
  EXPECT_NE(l.shell.title.find(": " + std::to_string(l.app.currentFrame) + ", "), std::string::npos);
}

TEST(StandardWork, PressureColourModeColoursTheShownFrame) {
  Loaded l;
  l.cmds->Command(kColourPressure);
  EXPECT_EQ(l.app.options.values.colorMode, 2);
  EXPECT_TRUE(l.menu.Checked(kColourPressure));
  // Pressure colours come from the frame's bonds.
  const BOND_INFO* bonds = l.app.dataSets.First()->CurrentBonds();
  ASSERT_NE(bonds, nullptr);
  EXPECT_FALSE(bonds->counts.empty());
}

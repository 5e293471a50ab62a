// Lattice, particle event and gridded point data met through the viewer's commands: the
// menus their type enables, the camera fit, and stepping the frame as each kind means it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "AppFakes.h"
#include "FakeMenu.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "app/MenuTable.h"

using namespace qv::cmd;

namespace {

struct Kind {
  const char* name;
  int32_t type;
  bool atomsMenu;
};

class ReplayKindsCommands : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    qvtest::WriteText(dir.File("a.lmc"), "ELEMENTS A\nGRID 1 1 1\nBOX 3 0 0 0 3 0 0 0 3\nINIT A 1\n"
                                         "STEP 1\nEVENT 0 0 0 A 1\nSTEP 2\nEVENT 0 0 0 A 1\n");
    qvtest::WriteText(dir.File("a.krb"), "BOX 3 0 0 0 3 0 0 0 3 0 0 0\n0 X H 1 0 0 0\n1 X H 1 1 0 0\n2 X H 1 2 0 0\n");
    const std::vector<unsigned char> two = {0, 0, 0, 8, 0, 0, 0, 0, 0x40, 0x40, 0, 0};  // 0 and 3
    for (const char* f : {"x", "y", "z", "q0", "q1", "q2"}) qvtest::WriteFile(dir.File(f), two);
    qvtest::WriteText(dir.File("a.vmec"), "grids 2 1 1 1\nCoordinate.X x\nCoordinate.Y y\nCoordinate.Z z\n"
                                          "DATA.1.Begin\nq0\nq1\nq2\nDATA.1.End\n");
    cmds = std::make_unique<Commands>(app, shell, camera);
    cmds->AttachMenu(&menu);
    cmds->Resize(640, 480);
  }
  qvtest::TempDir dir;
  Quivane app;
  FakeShell shell;
  FakeCamera camera;
  FakeMenu menu;
  std::unique_ptr<Commands> cmds;
};

TEST_P(ReplayKindsCommands, EnableTheirMenusFitTheCameraAndStepByTheirOwnFrames) {
  cmds->OpenFiles({dir.File(GetParam().name)});
  ASSERT_EQ(app.dataSets.Size(), 1u) << (shell.messages.empty() ? "" : shell.messages[0]);
  EXPECT_EQ(app.dataSets[0].type, GetParam().type);
  EXPECT_EQ(camera.fits, 1);
  EXPECT_EQ(menu.Top(kMenuAtoms), GetParam().atomsMenu ? 1 : 0);
  EXPECT_EQ(menu.Top(kMenuScattering), 0);
  EXPECT_EQ(menu.Top(kMenuField), 0);
  EXPECT_EQ(menu.Top(kMenuOutput), 1);
  EXPECT_EQ(menu.Top(kMenuMovie), 1);
  // Every kind here has frames 0, 1 and 2: two steps, records up to time 2, three files.
  for (int want : {1, 2, 2}) {
    cmds->OnKey(Key::X, false, false);
    EXPECT_EQ(app.currentFrame, want);
  }
  cmds->OnKey(Key::Z, false, false);
  EXPECT_EQ(app.currentFrame, 1);
  EXPECT_NE(shell.title.find(std::string(GetParam().name) + ": 1"), std::string::npos) << shell.title;
}

INSTANTIATE_TEST_SUITE_P(Kinds, ReplayKindsCommands,
                         ::testing::Values(Kind{"a.lmc", kTypeLattice, false},
                                           Kind{"a.krb", kTypeParticleEvents, true},
                                           Kind{"a.vmec", kTypeGridPoints, true}));

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "AppFakes.h"
#include "FakeMenu.h"
#include "TestSupport.h"
#include "app/Commands.h"
#include "app/MenuTable.h"
#include "data/DataSetList.h"

using namespace qv::cmd;

namespace {

// A trajectory of n frames of three atoms; atom i of frame k sits at (i, k, 0).
class FakeTrajectory : public IMDContainer {
 public:
  explicit FakeTrajectory(int n) : count_(n) { Fill(); }
  int GetFrameIndex() const override { return index_; }
  int SetFrame(int target) override {
    index_ = target < 0 ? 0 : std::min(target, count_ - 1);
    Fill();
    return index_;
  }
  ATOMS_DATA* GetCurrentFrame() override { return &frame_; }
  bool GetBox(double box[9], double origin[3]) override {
    for (int i = 0; i < 9; ++i) box[i] = frame_.box[i];
    for (int i = 0; i < 3; ++i) origin[i] = 0;
    return true;
  }
  BOND_INFO* GetBonds() override { return &frame_.bonds; }
  void SetBondCutoff(double) override {}

 private:
  void Fill() {
    frame_.Allocate(3);
    frame_.index = index_;
    for (int i = 0; i < 3; ++i) {
      frame_.atomicNumbers[i] = i == 0 ? 8 : 1;
      frame_.positions[3 * i] = static_cast<float>(i);
      frame_.positions[3 * i + 1] = static_cast<float>(index_);
      frame_.positions[3 * i + 2] = 0;
    }
    frame_.box[0] = frame_.box[4] = frame_.box[8] = 10;
  }
  int count_;
  int index_ = 0;
  ATOMS_DATA frame_;
};

struct Rig {
  Quivane app;
  FakeShell shell;
  FakeCamera camera;
  FakeMenu menu;
  std::unique_ptr<Commands> cmds;
  std::vector<int> bitmaps;

  Rig() {
    cmds = std::make_unique<Commands>(app, shell, camera);
    cmds->AttachMenu(&menu);
    cmds->work.writeBitmap = [this](int n) {
      bitmaps.push_back(n);
      return "/d/" + std::to_string(n) + ".bmp";
    };
    cmds->Resize(640, 480);
  }
  void Add(const std::string& path, int frames) {
    app.dataSets.Append(qv::MakeEntry(kTypeMD, path, std::make_shared<FakeTrajectory>(frames)));
    cmds->RefreshAfterLoad();
  }
};

}  // namespace

TEST(Commands, DisplayCommandsMoveTheRadioMarks) {
  Rig r;
  // The large-data check at window creation sets the initial marks from the settings.
  EXPECT_TRUE(r.menu.Checked(kBoxShow));
  EXPECT_TRUE(r.menu.Checked(kAtomsPolygons));
  EXPECT_TRUE(r.menu.Checked(kColourAtomicNumber));
  EXPECT_TRUE(r.menu.Checked(kProjectionPerspective));
  EXPECT_TRUE(r.menu.Checked(kSkip1));
  struct Step {
    int command, on;
    std::vector<int> off;
  };
  const Step steps[] = {
      {kBoxHide, kBoxHide, {kBoxShow}},
      {kProjectionOrthographic, kProjectionOrthographic, {kProjectionPerspective}},
      {kMultiOverlaid, kMultiOverlaid, {kMultiSideBySide}},
      {kAtomsPointSprites, kAtomsPointSprites, {kAtomsPolygons, kAtomsHidden}},
      {kAtomsHidden, kAtomsHidden, {kAtomsPolygons, kAtomsPointSprites}},
      {kBondsHide, kBondsHide, {kBondsShow}},
      {kColourBondCount, kColourBondCount, {kColourAtomicNumber, kColourPressure}},
      {kColourPressure, kColourPressure, {kColourAtomicNumber, kColourBondCount}},
  };
  for (const Step& s : steps) {
    const int before = r.shell.redraws;
    r.cmds->Command(s.command);
    EXPECT_TRUE(r.menu.Checked(s.on)) << s.command;
    for (int off : s.off) EXPECT_FALSE(r.menu.Checked(off)) << s.command << " " << off;
    EXPECT_GT(r.shell.redraws, before);
  }
  EXPECT_EQ(r.app.options.values.projection, 1);
  EXPECT_EQ(r.app.options.values.atomStyle, 0);
  r.cmds->Command(kColourHeight);
  EXPECT_EQ(r.app.options.values.colorMode, 3);
  for (int id : {kColourAtomicNumber, kColourBondCount, kColourPressure, kColourHeight})
    EXPECT_FALSE(r.menu.Checked(id)) << id;
}

TEST(Commands, FrameSkipItemsSetTheSkipAndOneMark) {
  Rig r;
  r.cmds->Command(kSkip4);
  EXPECT_EQ(r.app.frameSkip, 4);
  for (int id : FrameSkipIds()) EXPECT_EQ(r.menu.Checked(id), id == kSkip4) << id;
  r.cmds->Command(kSkip10000);
  EXPECT_EQ(r.app.frameSkip, 10000);
  EXPECT_FALSE(r.menu.Checked(kSkip4));
}

TEST(Commands, LoadsEnableMenusFitTheCameraAndTitleTheWindow) {
  Rig r;
  r.cmds->RefreshAfterLoad();
  EXPECT_EQ(r.menu.Top(kMenuAtoms), 0);
  EXPECT_EQ(r.camera.fits, 0);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3");  // nothing loaded: the title stays
  r.Add("/d/water.md3", 5);
  EXPECT_EQ(r.camera.fits, 1);
  EXPECT_EQ(r.menu.Top(kMenuAtoms), 1);
  EXPECT_EQ(r.menu.Top(kMenuScattering), 0);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - water.md3: 0, 0.000fps(eco)");
}

TEST(Commands, AFileThatGivesNoDataSetSaysWhy) {
  Rig r;
  qvtest::TempDir dir;
  r.cmds->OpenFiles({dir.File("missing.fa2")});
  ASSERT_EQ(r.shell.messages.size(), 1u);
  EXPECT_NE(r.shell.messages[0].find("Error|The file does not exist"), std::string::npos);
  qvtest::WriteText(dir.File("notes"), "x");
  r.cmds->OpenFiles({dir.File("notes")});
  ASSERT_EQ(r.shell.messages.size(), 2u);
  EXPECT_NE(r.shell.messages[1].find("no extension"), std::string::npos);
  EXPECT_TRUE(r.app.dataSets.Empty());
  EXPECT_EQ(r.menu.Top(kMenuOutput), 0);  // the refresh still ran
}

TEST(Commands, AReaderThatRefusesAFileGivesItsReasonToTheMessageBox) {
  Rig r;
  qvtest::TempDir dir;
  qvtest::WriteText(dir.File("broken.lmc"), "ELEMENTS Fe\nGRID 1 1 1\n");
  qvtest::WriteText(dir.File("broken.krb"), "0 X H 1 0 0 0\n");
  r.cmds->OpenFiles({dir.File("broken.lmc"), dir.File("broken.krb"), dir.File("missing.fa2")});
  ASSERT_EQ(r.shell.messages.size(), 3u);
  EXPECT_NE(r.shell.messages[0].find("Error|error: " + dir.File("broken.lmc") + ": the BOX line"), std::string::npos)
      << r.shell.messages[0];
  EXPECT_NE(r.shell.messages[1].find("not a BOX line"), std::string::npos) << r.shell.messages[1];
  // A reason is never carried over to the next file.
  EXPECT_NE(r.shell.messages[2].find("The file does not exist"), std::string::npos);
  EXPECT_TRUE(r.app.dataSets.Empty());
}

TEST(Commands, EditModeNeedsALowerCaseMd3) {
  Rig r;
  r.cmds->Command(kEditMode);  // nothing loaded: nothing happens
  EXPECT_TRUE(r.shell.messages.empty());
  r.Add("/d/a.MD3", 1);
  r.cmds->Command(kEditMode);
  ASSERT_EQ(r.shell.messages.size(), 1u);
  EXPECT_EQ(r.shell.messages[0], "Error|You can edit md3 only during viewing.");
  EXPECT_FALSE(r.cmds->editMode);
}

TEST(Commands, EditModeTitlesPicksAndReloadsNewerFiles) {
  Rig r;
  qvtest::TempDir dir;
  const std::string path = dir.File("water.md3");
  qvtest::WriteText(path, "placeholder");
  r.Add(path, 1);
  r.cmds->Command(kEditMode);
  EXPECT_TRUE(r.shell.messages.empty());
  EXPECT_TRUE(r.cmds->editMode);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - water.md3: [edit] no-selected");

  r.camera.pickResult = 1;
  r.cmds->OnLeftDown(300, 200, true);
  ASSERT_EQ(r.camera.picks.size(), 1u);
  EXPECT_EQ(r.camera.picks[0].x, 300);
  EXPECT_EQ(r.camera.picks[0].w, 640);
  EXPECT_EQ(r.camera.picks[0].count, 3);
  EXPECT_EQ(r.camera.picks[0].radius, r.app.options.values.atomRadius);
  EXPECT_EQ(r.app.selectedAtom, 1);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - water.md3: [edit] 1-H:1.000000,0.000000,0.000000");
  EXPECT_EQ(r.cmds->dragState, 0);  // a pick is not a drag
  r.camera.pickResult = -1;          // far from every atom
  r.cmds->OnLeftDown(0, 0, true);
  EXPECT_EQ(r.app.selectedAtom, 1);

  // Activation reloads only a file newer than the one watched.
  r.cmds->OnActivated();
  EXPECT_EQ(r.app.dataSets.Size(), 1u);
  std::filesystem::last_write_time(path, r.cmds->watchedFileTime + std::chrono::seconds(5));
  r.cmds->OnActivated();
  EXPECT_EQ(r.cmds->watchedFileTime, std::filesystem::last_write_time(path));
  std::filesystem::remove(path);
  r.cmds->OnActivated();
  ASSERT_EQ(r.shell.messages.size(), 1u);
  EXPECT_EQ(r.shell.messages[0], "Error|The file does not exist.");
}

TEST(Commands, EditModeReloadShowsTheNewContentInTheFirstDataSet) {
  Rig r;
  qvtest::TempDir dir;
  const std::string path = dir.File("one.md3");
  qvtest::WriteText(path, "1\nbefore\nH 1 2 3\n");
  r.app.OpenAndPrepare(path);
  ASSERT_EQ(r.app.dataSets.Size(), 1u);
  r.cmds->Command(kEditMode);
  ASSERT_TRUE(r.cmds->editMode);

  qvtest::WriteText(path, "1\nafter\nO 4 5 6\n");
  std::filesystem::last_write_time(path, r.cmds->watchedFileTime + std::chrono::seconds(5));
  r.cmds->OnActivated();
  r.cmds->OnActivated();  // unchanged since: nothing more
  ASSERT_EQ(r.app.dataSets.Size(), 1u);
  const ATOMS_DATA* frame = r.app.dataSets.First()->CurrentAtoms();
  ASSERT_NE(frame, nullptr);
  ASSERT_EQ(frame->atomCount, 1);
  EXPECT_EQ(frame->atomicNumbers[0], 8);
  EXPECT_EQ(frame->positions[0], 4.0f);
}

TEST(Commands, EditModeReloadStaysOnTheFrameShown) {
  Rig r;
  qvtest::TempDir dir;
  const std::string path = dir.File("two.md3");
  qvtest::WriteText(path, "1\na\nH 1 2 3\n1\nb\nH 1 2 4\n");
  r.app.OpenAndPrepare(path);
  r.cmds->Command(kEditMode);
  r.cmds->OnKey(Key::X, false, false);  // to frame 1
  ASSERT_EQ(r.app.currentFrame, 1);

  qvtest::WriteText(path, "1\na\nO 1 2 3\n1\nb\nO 7 8 9\n");
  std::filesystem::last_write_time(path, r.cmds->watchedFileTime + std::chrono::seconds(5));
  r.cmds->OnActivated();
  ASSERT_EQ(r.app.dataSets.Size(), 1u);
  EXPECT_EQ(r.app.currentFrame, 1);
  const ATOMS_DATA* frame = r.app.dataSets.First()->CurrentAtoms();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->index, 1);
  EXPECT_EQ(frame->positions[0], 7.0f);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - two.md3: [edit] no-selected");
}

TEST(Commands, KeysStepPlayAndTurn) {
  Rig r;
  EXPECT_FALSE(r.cmds->OnKey(Key::X, false, false));  // nothing loaded
  r.Add("/d/run.fa2", 25);
  r.cmds->Command(kSkip10);
  EXPECT_TRUE(r.cmds->OnKey(Key::X, false, false));
  EXPECT_EQ(r.app.currentFrame, 10);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - run.fa2: 10, 0.000fps(eco)");
  r.cmds->OnKey(Key::Z, false, false);
  r.cmds->OnKey(Key::Z, false, false);
  EXPECT_EQ(r.app.currentFrame, 0);

  r.cmds->OnKey(Key::X, false, true);  // Shift+X plays
  EXPECT_TRUE(r.shell.timer);
  std::vector<int> frames;
  for (int i = 0; i < 5 && r.shell.timer; ++i) {
    r.cmds->OnTimer();
    frames.push_back(r.app.currentFrame);
  }
  EXPECT_EQ(frames, (std::vector<int>{10, 20, 24, 24}));
  EXPECT_FALSE(r.shell.timer);

  r.cmds->OnKey(Key::Z, false, true);  // Shift+Z plays backward; Shift+Z again stops
  r.cmds->OnTimer();
  EXPECT_EQ(r.app.currentFrame, 14);
  r.cmds->OnKey(Key::Z, false, true);
  EXPECT_EQ(r.app.playState, 0);
  EXPECT_EQ(r.app.currentFrame, 14);
  r.app.currentFrame = r.app.SetFrameAll(3);  // backward from 3 with skip 10 stops at 0
  r.cmds->OnKey(Key::Z, false, true);
  r.cmds->OnTimer();
  r.cmds->OnTimer();
  EXPECT_EQ(r.app.currentFrame, 0);
  EXPECT_FALSE(r.shell.timer);

  r.cmds->OnKey(Key::Left, false, false);
  r.cmds->OnKey(Key::Left, true, false);
  r.cmds->OnKey(Key::Up, false, true);  // Shift does nothing special
  r.cmds->OnKey(Key::Down, true, false);
  r.cmds->OnKey(Key::PageUp, false, false);
  r.cmds->OnKey(Key::Q, false, false);
  r.cmds->OnKey(Key::Q, false, false);
  r.cmds->OnKey(Key::W, false, false);
  EXPECT_EQ(r.camera.orbitsUp, (std::vector<double>{-0.03490658503988659}));
  EXPECT_EQ(r.camera.shiftsRight, (std::vector<double>{-0.2}));
  EXPECT_EQ(r.camera.orbitsRight, (std::vector<double>{0.03490658503988659}));
  EXPECT_EQ(r.camera.shiftsUp, (std::vector<double>{0.2}));
  EXPECT_EQ(r.camera.zooms, (std::vector<double>{-0.1}));
  EXPECT_EQ(r.camera.section, -1);
  EXPECT_FALSE(r.cmds->OnKey(Key::Other, false, false));
}

TEST(Commands, WheelStepsTruncateTowardZero) {
  Rig r;
  for (int delta : {60, 120, 240, -60, -130}) r.cmds->OnWheel(delta);
  EXPECT_EQ(r.camera.zooms, (std::vector<double>{0, 1, 2, 0, -1}));
  EXPECT_EQ(r.shell.redraws, 5);
}

TEST(Commands, PressesNearTheCentrePanAndFartherOnesRotate) {
  Rig r;  // 640 x 480: centre (320, 240)
  r.cmds->OnLeftDown(320 + 99, 240 - 99, false);
  EXPECT_EQ(r.cmds->dragState, 10);
  r.cmds->OnLeftDown(0, 0, false);  // a second press does not restart the drag
  EXPECT_EQ(r.cmds->dragState, 10);
  EXPECT_EQ(r.camera.drags.size(), 1u);
  r.cmds->OnMouseMove(430, 150);
  EXPECT_EQ(r.camera.pans, 1);
  r.cmds->OnLeftUp(430, 150);
  EXPECT_EQ(r.cmds->dragState, 0);
  r.cmds->OnLeftDown(320 + 100, 240, false);
  EXPECT_EQ(r.cmds->dragState, 20);
  r.cmds->OnMouseMove(500, 240);
  EXPECT_EQ(r.camera.rotations, 1);
  r.cmds->OnLeftUp(500, 240);
  r.cmds->OnMouseMove(10, 10);  // no drag: nothing moves
  EXPECT_EQ(r.camera.rotations, 1);
  EXPECT_EQ(r.camera.pans, 1);
}

TEST(Commands, AnalysesWaitForTheMovieToStop) {
  Rig r;
  r.Add("/d/run.fa2", 5);
  int bonds = 0, coord = 0, mol = 0;
  r.cmds->work.redetermineBonds = [&] { ++bonds; };
  r.cmds->work.coordinationReport = [&] {
    ++coord;
    return Wrote("/d/run_coord_0.txt");
  };
  r.cmds->work.classifyMolecules = [&] {
    ++mol;
    return Wrote("/d/run_mol.txt");
  };
  r.cmds->OnKey(Key::X, false, true);
  r.cmds->Command(kRedetermineBonds);
  ASSERT_EQ(r.shell.messages.size(), 1u);
  EXPECT_EQ(r.shell.messages[0], "Quivane 3.7.3|Prease stop movie.\n");
  testing::internal::CaptureStdout();
  r.cmds->Command(kClassifyMolecules);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Prease stop movie.\nPrease stop movie.\n");
  EXPECT_EQ(r.shell.status, "Prease stop movie.");  // also where a user without a console looks
  EXPECT_EQ(bonds + coord + mol, 0);
  r.cmds->OnKey(Key::X, false, false);  // stop
  r.cmds->Command(kRedetermineBonds);
  r.cmds->Command(kClassifyMolecules);
  r.cmds->Command(kCoordination);
  EXPECT_EQ(bonds, 1);
  EXPECT_EQ(mol, 1);
  EXPECT_EQ(coord, 1);
  EXPECT_EQ(r.shell.status, "Coordination number analysis: wrote /d/run_coord_0.txt");
}

TEST(Commands, SequencesNumberOnAndTheRotatingOneStopsAfterAFullTurn) {
  Rig r;
  r.cmds->Command(kBitmapSequence);  // nothing loaded: nothing written
  EXPECT_TRUE(r.bitmaps.empty());
  r.Add("/d/one.fa2", 1);
  r.app.settings.rotationAngleDelta = 100;
  r.cmds->Command(kSequenceRight);
  EXPECT_EQ(r.bitmaps, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(r.camera.orbitsUp.size(), 3u);
  EXPECT_NEAR(r.camera.orbitsUp[0], -100 * std::acos(-1.0) / 180, 1e-12);
  r.bitmaps.clear();
  r.cmds->Command(kSequenceDown);  // the rotation counter carries on
  EXPECT_EQ(r.bitmaps, (std::vector<int>{4, 5, 6, 7}));
  r.bitmaps.clear();
  r.cmds->Command(kBitmapSequence);
  r.cmds->Command(kBitmapSequence);
  EXPECT_EQ(r.bitmaps, (std::vector<int>{0, 1}));
  r.bitmaps.clear();
  r.cmds->Command(kRightRotation);
  EXPECT_EQ(r.bitmaps, (std::vector<int>{0, 1, 2, 3}));
}

TEST(Commands, LeadTracePlacesTheCameraBehindAtomZero) {
  Rig r;
  r.Add("/d/run.fa2", 3);
  r.cmds->Command(kLeadTrace);
  EXPECT_EQ(r.bitmaps, (std::vector<int>{0, 1, 2}));
  // Atom 0 of the last frame is at (0, 2, 0).
  EXPECT_EQ(r.camera.eye[1], 3);
  EXPECT_EQ(r.camera.eye[2], 3);
  EXPECT_EQ(r.camera.target[2], -7);
  EXPECT_EQ(r.camera.up[1], 1);
}

TEST(Commands, OtherCommands) {
  Rig r;
  r.cmds->Command(kVersion);
  EXPECT_EQ(r.shell.versions, 1);
  r.cmds->Command(kSectionCentre);
  EXPECT_EQ(r.camera.nearFactor, 1.0);
  r.cmds->Command(kSectionReset);
  EXPECT_EQ(r.camera.nearFactor, 0.1);
  r.cmds->Command(kMovieSimple);
  EXPECT_TRUE(r.menu.Checked(kMovieSimple));
  EXPECT_FALSE(r.menu.Enabled(kAddCheckpoint));
  r.cmds->Command(kOpenSettings);
  EXPECT_NE(r.shell.opened.find("setting.ini"), std::string::npos);
  r.cmds->Command(kOpen);  // cancelled
  EXPECT_TRUE(r.app.dataSets.Empty());
  r.cmds->Command(kExit);
  EXPECT_TRUE(r.shell.closed);
}

TEST(Commands, FrameRateIsMeasuredOverAHundredFrames) {
  Rig r;
  r.Add("/d/run.fa2", 1);
  r.cmds->StartFrameClock(1000.0);
  for (int i = 1; i < 100; ++i) r.cmds->CountFrame(1000.0 + i * 10);
  EXPECT_EQ(r.cmds->fps, 0.0);
  r.cmds->CountFrame(1000.0 + 1000 * 2);  // the hundredth, 2 s after the start
  EXPECT_DOUBLE_EQ(r.cmds->fps, 50.0);
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - run.fa2: 0, 50.000fps(eco)");
}

// A stop asked for during a sequence ends it on the frame just written; the status says how
// many files were written, under the sequence's own caption.
TEST(Commands, EverySequenceStopsOnRequestAfterTheFrameBeingWritten) {
  for (int id : {kBitmapSequence, kRightRotation, kLeadTrace, kSequenceRight, kSequenceDown, kSequenceUp}) {
    Rig r;
    r.Add("/d/run.fa2", 10);
    r.shell.stopAtStep = 3;
    r.cmds->Command(id);
    EXPECT_EQ(r.bitmaps.size(), 3u) << id;
    const bool moves = id != kRightRotation;
    EXPECT_EQ(r.app.currentFrame, moves ? 2 : 0) << id;
    EXPECT_EQ(r.shell.status, CommandCaption(id) + " stopped: 3 files written") << id;
  }
  Rig r;
  r.Add("/d/run.fa2", 2);
  r.cmds->work.writeBitmap = [](int n) { return n == 0 ? std::string("/d/0.bmp") : std::string(); };
  r.cmds->Command(kBitmapSequence);
  EXPECT_EQ(r.shell.status.rfind("Bitmap sequence output: 1 file written, 1 could not be written (/d/run0001.bmp: ", 0), 0u)
      << r.shell.status;
  EXPECT_EQ(r.shell.frameStatus, "frame 1") << "the fake trajectory cannot count its frames";
}

TEST(Commands, ButtonPressesDrivePlaybackInsteadOfADrag) {
  Rig r;  // 640 x 480: the bar's buttons have their centres at y 416
  const qv::overlay::ButtonBar bar;
  r.cmds->buttons = &bar;
  r.cmds->OnLeftDown(320, 416, false);  // nothing loaded: no button, an ordinary press
  EXPECT_EQ(r.cmds->dragState, kDragRotating);
  r.cmds->OnLeftUp(320, 416);
  r.Add("/d/run.fa2", 25);
  r.cmds->Command(kSkip10);
  struct Press {
    int x;
    int frame, playState;
    bool timer;
  };
  const Press presses[] = {
      {320 + 192, 10, 0, false},  // step forward
      {320 + 96, 10, 1, true},    // play forward
      {320 - 192, 0, 0, true},    // step back stops (the timer ends at its tick)
      {320 - 96, 0, 3, true},     // play backward
      {320, 0, 0, true},          // stop
  };
  for (const Press& p : presses) {
    const int redraws = r.shell.redraws;
    r.cmds->OnLeftDown(p.x, 416, false);
    EXPECT_EQ(r.cmds->dragState, kDragIdle) << p.x;
    EXPECT_EQ(r.app.currentFrame, p.frame) << p.x;
    EXPECT_EQ(r.app.playState, p.playState) << p.x;
    EXPECT_EQ(r.shell.timer, p.timer) << p.x;
    EXPECT_GT(r.shell.redraws, redraws) << p.x;
    r.cmds->OnLeftUp(p.x, 416);
  }
  EXPECT_EQ(r.shell.title, "Quivane 3.7.3 - run.fa2: 0, 0.000fps(eco)");
  EXPECT_EQ(r.camera.drags.size(), 1u);
  r.cmds->OnTimer();
  EXPECT_FALSE(r.shell.timer);
  r.cmds->OnLeftDown(320 + 32, 416, false);  // the right edge of stop: between buttons
  EXPECT_EQ(r.cmds->dragState, kDragRotating);
}

TEST(Commands, PanelItemsActOnReleaseAndStartNoDrag) {
  Rig r;
  qv::overlay::UIPanel panel;
  panel.BuildProgramPages();
  r.cmds->panel = &panel;
  r.Add("/d/run.fa2", 25);
  const int playX = 3 * 64 + 32, y = 480 - 32;
  r.cmds->OnLeftDown(playX, y, false);
  EXPECT_EQ(r.cmds->dragState, kDragIdle);
  EXPECT_EQ(r.app.playState, 0);  // nothing until the release
  r.cmds->OnLeftUp(playX, y);
  EXPECT_EQ(r.app.playState, 1);
  EXPECT_TRUE(r.shell.timer);
  // A drag that ends over an item is only a drag.
  r.cmds->OnLeftDown(5, 5, false);
  r.cmds->OnLeftUp(2 * 64 + 32, y);
  EXPECT_EQ(r.app.playState, 1);
  // The hide item switches the page and redraws.
  const int redraws = r.shell.redraws;
  r.cmds->OnLeftDown(5 * 64 + 32, y, false);
  r.cmds->OnLeftUp(5 * 64 + 32, y);
  EXPECT_EQ(panel.CurrentPage(), 1);
  EXPECT_EQ(r.shell.redraws, redraws + 1);
  EXPECT_EQ(r.camera.drags.size(), 1u);
}

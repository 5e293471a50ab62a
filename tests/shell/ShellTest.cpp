// The Qt glue on the offscreen platform: menus built from the table, actions dispatching by
// id, marks and enabling on the real actions, drops, keys, dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "MainWindow.h"
#include "TestSupport.h"
#include "app/MenuTable.h"

using namespace qv::cmd;

// Read by the leak checker of sanitizer builds: blocks the font configuration library and
// the session bus connection keep for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig\nleak:libdbus-1\n";
}

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "qv_tests_shell";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

class StillCamera : public ICameraControl {
 public:
  void FitToData() override { ++fits; }
  void Zoom(double) override {}
  void OrbitUp(double) override {}
  void OrbitRight(double) override {}
  void ShiftRight(double) override {}
  void ShiftUp(double) override {}
  void SetSectionStep(int) override {}
  void MoveSectionToCentre() override {}
  void ResetClipping() override {}
  void BeginDrag(int, int) override {}
  bool DragPan(int, int, int, int) override { return false; }
  bool DragRotate(int, int, int, int) override { return false; }
  void Place(const double*, const double*, const double*) override {}
  int PickAtom(int, int, int, int, const float*, int, double) const override { return -1; }
  int fits = 0;
};

struct Window {
  Quivane app;
  StillCamera camera;
  std::unique_ptr<MainWindow> w;
  explicit Window(bool english = false) {
    App();
    MainWindow::quietMessages = true;
    w = std::make_unique<MainWindow>(app, camera, english);
  }
  QAction* Action(int id, size_t i = 0) {
    auto list = w->ActionsFor(id);
    return i < list.size() ? list[i] : nullptr;
  }
  void Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const auto& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    mime.setUrls(urls);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w->view(), &drop);
  }
  void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, m);
    QCoreApplication::sendEvent(w->view(), &press);
  }
};

std::string Water() { return std::string(QV_SOURCE_DIR) + "/examples/water.fa2"; }

}  // namespace

TEST(ShellMenus, EveryItemCarriesItsIdWithJapaneseCaptionsByDefault) {
  Window win;
  for (int id : MenuCommandIds()) {
    auto actions = win.w->ActionsFor(id);
    ASSERT_FALSE(actions.empty()) << id;
    for (QAction* a : actions) EXPECT_EQ(a->data().toInt(), id);
  }
  const QList<QAction*> top = win.w->menuBar()->actions();
  ASSERT_EQ(top.size(), 8);
  EXPECT_EQ(top[0]->text(), QString::fromUtf8("ファイル(&F)"));
  EXPECT_EQ(win.Action(kMd3)->text(), QString::fromUtf8("md3出力"));
  EXPECT_EQ(win.w->windowTitle(), QStringLiteral("Quivane 3.7.3"));
  Window english(true);
  EXPECT_EQ(english.w->menuBar()->actions()[0]->text(), QStringLiteral("&File"));
  EXPECT_EQ(english.Action(kMd3Sequence)->text(), QStringLiteral("md3 sequence output"));
}

TEST(ShellMenus, TriggeredActionsRunTheirCommandAndKeepMarksInStep) {
  Window win;
  EXPECT_TRUE(win.Action(kSkip1)->isChecked());
  win.Action(kSkip4)->trigger();
  EXPECT_EQ(win.app.frameSkip, 4);
  EXPECT_TRUE(win.Action(kSkip4)->isChecked());
  EXPECT_FALSE(win.Action(kSkip1)->isChecked());
  win.Action(kSkip4)->trigger();  // choosing the marked item again keeps its mark
  EXPECT_TRUE(win.Action(kSkip4)->isChecked());

  EXPECT_TRUE(win.Action(kColourAtomicNumber)->isChecked());
  win.Action(kColourHeight)->trigger();
  for (int id : {kColourAtomicNumber, kColourBondCount, kColourPressure, kColourHeight})
    EXPECT_FALSE(win.Action(id)->isChecked()) << id;
  win.Action(kAtomsPointSprites)->trigger();
  EXPECT_TRUE(win.Action(kAtomsPointSprites)->isChecked());
  EXPECT_FALSE(win.Action(kAtomsPolygons)->isChecked());
  EXPECT_EQ(win.app.options.values.atomStyle, 2);
}

TEST(ShellMenus, DataMenusFollowTheFirstDataSetAndFixedItemsStayGreyed) {
  Window win;
  EXPECT_FALSE(win.w->TopMenuAction(kMenuAtoms)->isEnabled());
  EXPECT_FALSE(win.w->TopMenuAction(kMenuOutput)->isEnabled());
  EXPECT_TRUE(win.w->TopMenuAction(kMenuHelp)->isEnabled());
  win.Drop({Water(), Water()});
  ASSERT_EQ(win.app.dataSets.Size(), 2u);
  EXPECT_EQ(win.camera.fits, 2);
  EXPECT_TRUE(win.w->TopMenuAction(kMenuAtoms)->isEnabled());
  EXPECT_TRUE(win.w->TopMenuAction(kMenuMovie)->isEnabled());
  EXPECT_FALSE(win.w->TopMenuAction(kMenuScattering)->isEnabled());
  EXPECT_FALSE(win.w->TopMenuAction(kMenuField)->isEnabled());
  EXPECT_TRUE(win.w->windowTitle().startsWith(QStringLiteral("Quivane 3.7.3 - water.fa2: 0, ")));
  EXPECT_FALSE(win.Action(kRdf)->isEnabled());
  EXPECT_TRUE(win.Action(kCoordination, 0)->isEnabled());
  EXPECT_FALSE(win.Action(kCoordination, 1)->isEnabled());
  win.Action(kMovieSimple)->trigger();
  EXPECT_TRUE(win.Action(kMovieSimple)->isChecked());
  EXPECT_FALSE(win.Action(kAddCheckpoint)->isEnabled());
}

TEST(ShellMenus, FailuresAndEditModeSpeakInMessageBoxes) {
  Window win;
  qvtest::TempDir dir;
  win.Drop({dir.File("gone.fa2")});
  ASSERT_EQ(win.w->shownMessages.size(), 1u);
  EXPECT_EQ(win.w->shownMessages[0].rfind("Error|The file does not exist", 0), 0u);
  std::filesystem::copy_file(Water(), dir.File("a.MD3"));
  win.app.dataSets.Append(qv::MakeEntry(kTypeMD, dir.File("a.MD3"), nullptr));
  win.Action(kEditMode)->trigger();
  ASSERT_EQ(win.w->shownMessages.size(), 2u);
  EXPECT_EQ(win.w->shownMessages[1], "Error|You can edit md3 only during viewing.");
}

TEST(ShellInput, DropsWaitUntilARunningCommandHasFinished) {
  Window win;
  win.Drop({Water()});
  ASSERT_EQ(win.app.dataSets.Size(), 1u);
  // A long command lets the event loop run to repaint; a file dropped then is not loaded.
  int runs = 0;
  win.w->commands().work.coordinationSeries = [&](const StepFn&) {
    ++runs;
    win.Drop({Water()});
    return OutputResult{};
  };
  win.Action(kCoordinationSeries)->trigger();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(win.app.dataSets.Size(), 1u);
  win.Drop({Water()});
  EXPECT_EQ(win.app.dataSets.Size(), 2u);
}

TEST(ShellInput, ShiftXPlaysXStopsAndKeysWaitForData) {
  Window win;
  win.Key(Qt::Key_X);
  EXPECT_EQ(win.app.currentFrame, 0);  // nothing loaded: the key is not ours
  win.Drop({Water()});
  win.Key(Qt::Key_X, Qt::ShiftModifier);
  EXPECT_EQ(win.app.playState, 1);
  QElapsedTimer t;
  t.start();
  while (win.app.currentFrame < 2 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_GE(win.app.currentFrame, 2);
  EXPECT_TRUE(win.w->windowTitle().contains(QStringLiteral(": %1, ").arg(win.app.currentFrame)));
  win.Key(Qt::Key_X);
  EXPECT_EQ(win.app.playState, 0);
  const int stopped = win.app.currentFrame;
  t.restart();
  while (t.elapsed() < 100) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(win.app.currentFrame, stopped);
}

TEST(ShellDialogs, VersionDialogShowsTheVersionForBothShortcuts) {
  Window win;
  win.w->show();
  for (const char* keys : {"Alt+/", "Alt+?"}) {
    QString seen;
    QTimer::singleShot(0, [&] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        for (QLabel* l : d->findChildren<QLabel*>())
          if (!l->text().isEmpty()) seen = l->text();
        d->accept();
      }
    });
    bool triggered = false;
    for (QAction* a : win.w->actions())
      if (a->shortcut() == QKeySequence(QString::fromLatin1(keys))) {
        a->trigger();
        triggered = true;
      }
    EXPECT_TRUE(triggered) << keys;
    EXPECT_EQ(seen, QStringLiteral("Quivane 3.6.11")) << keys;
  }
}

TEST(ShellStatus, FrameCountAndOutputResultsReachTheStatusBar) {
  Window win(true);
  win.Drop({Water()});
  ASSERT_EQ(win.app.dataSets.Size(), 1u);
  EXPECT_TRUE(win.w->StatusText().startsWith(QStringLiteral("Loaded ")));
  EXPECT_TRUE(win.w->FrameStatus().startsWith(QStringLiteral("frame 0 / "))) << win.w->FrameStatus().toStdString();
  // A bitmap that cannot be created says so instead of staying silent.
  win.w->commands().work.writeBitmap = [](int) { return std::string(); };
  win.Action(kBmp)->trigger();
  EXPECT_TRUE(win.w->StatusText().startsWith(QStringLiteral("BMP output failed: "))) << win.w->StatusText().toStdString();
  win.w->commands().work.writeEps = [] { return Wrote("/tmp/x.eps"); };
  win.Action(kEps)->trigger();
  EXPECT_EQ(win.w->StatusText(), QStringLiteral("EPS image output: wrote /tmp/x.eps"));
}

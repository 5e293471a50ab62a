#include "Viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>

#include "MainWindow.h"
#include "QtGLSurface.h"
#include "app/BackEndFactory.h"
#include "app/BitmapOutput.h"
#include "app/Commands.h"
#include "app/StandardWork.h"

// One debug line per drawn frame ("QT_LOGGING_RULES=quivane.frames.debug=true"): how pacing
// is checked from outside the program.
Q_LOGGING_CATEGORY(lcFrames, "quivane.frames", QtWarningMsg)

struct Viewer::Gl {
  Gl(QWindow* window, std::unique_ptr<IRenderBackEnd> b) : surface(window), backEnd(std::move(b)) {}
  QtGLSurface surface;
  std::unique_ptr<IRenderBackEnd> backEnd;
  qv::scene::SceneCache cache;  // colour words kept between frames
  QElapsedTimer clock;
  QTimer pacingTimer;  // wakes the blocking wait in pacing mode 3
};

Viewer::Viewer(Quivane& app, std::unique_ptr<qv::cmd::ICameraControl> camera)
    : app_(app), camera_(std::move(camera)) {}

Viewer::~Viewer() {
  // The GL objects go while the window (and its context) still exist; the window's own
  // surface event must then find nothing left to release.
  if (window_) window_->view()->hooks = {};
  gl_.reset();
  window_.reset();
}

std::string CommandLineFile(int argc, char** argv) { return argc > 1 && argv[1] ? argv[1] : std::string(); }

int Viewer::pacingMode() const { return window_ ? window_->commands().pacingMode : app_.settings.vsync; }

bool Viewer::Start(const std::string& commandLineFile) {
  ReadSettings(SettingsFileLocation(), app_.settings);
  app_.camera.SetViewAngle(app_.settings.viewAngleRadians);
  // The back end decides the kind of context, which the window's format must know first.
  const qv::BackEndKind kind = qv::BackEndForSetting(app_.settings.directX11);
  std::unique_ptr<IRenderBackEnd> backEnd =
      qv::CreateRenderBackEnd(kind, qv::BackEndOptionsOf(app_.settings));
  window_ = std::make_unique<MainWindow>(app_, *camera_, app_.settings.language == "en",
                                         backEnd->Profile());
  qv::cmd::Commands& commands = window_->commands();
  int mode = app_.settings.vsync;
  if (mode < 0 || mode > 3) mode = 2;
  // No orientation source exists on this platform: the sensor setting only paces frames.
  if (app_.settings.orientationSensor == 1) mode = 3;
  commands.pacingMode = mode;
  int width = 0, height = 0;
  qv::WindowClientSize(app_.settings, width, height);
  window_->SetClientSize(width, height);
  window_->show();

  gl_ = std::make_unique<Gl>(window_->view(), std::move(backEnd));
  GLView* view = window_->view();
  view->hooks.draw = [this] { return DrawFrame(); };
  view->hooks.releaseResources = [this] { gl_->backEnd->Release(); };
  const int result =
      gl_->backEnd->Initialize(gl_->surface, view->PixelWidth(), view->PixelHeight(), mode);
  if (result == 3) {
    commands.pacingMode = 3;
  } else if (result != 0) {
    // The device's own words when it has them (they name the setting that avoids it).
    std::string text = gl_->backEnd->InitializeError();
    if (text.empty()) text = "OpenGL is not available for the window, so nothing can be drawn.";
    std::fprintf(stderr, "error: %s\n", text.c_str());
    window_->ShowMessage(text.c_str(), "Error");
    return false;
  }
  WireWork();

  if (!commandLineFile.empty()) commands.OpenFiles({commandLineFile});
  // In mode 3 the wait is woken when the next frame is due; a periodic timer drifting
  // against the 33 ms rule would skip every other frame.
  gl_->pacingTimer.setSingleShot(true);
  gl_->pacingTimer.setTimerType(Qt::PreciseTimer);
  gl_->clock.start();
  commands.StartFrameClock(0.0);
  return true;
}

bool Viewer::DrawFrame() {
  GLView* view = window_->view();
  return qv::DrawWindowFrame(*gl_->backEnd, gl_->surface, app_.dataSets, app_.options.values,
                             qv::SceneSettingsOf(app_), app_.camera.camera, view->PixelWidth(),
                             view->PixelHeight(), &gl_->cache);
}

bool Viewer::RenderIfLoaded() {
  // With nothing loaded nothing is drawn or presented.
  if (app_.dataSets.Empty()) return false;
  return window_->view()->RenderFrame();
}

void Viewer::WireWork() {
  qv::cmd::CommandWork& work = window_->commands().work;
  // The bitmap commands of the batch tool, on the window's device and scene.
  auto withBackEnd = [this](const auto& write) {
    IGraphicDevice* device = gl_->backEnd->Device();
    auto renderer = gl_->backEnd->BitmapRenderer(app_.dataSets, app_.camera.camera,
                                                 qv::SceneSettingsOf(app_));
    return device && renderer ? write(*device, *renderer) : std::string();
  };
  work.writeBitmap = [this, withBackEnd](int n) {
    return withBackEnd([&](IGraphicDevice& d, ITiledBitmapRenderer& r) { return WriteBitmap(app_, n, d, r); });
  };
  work.writeLargeBitmap = [this, withBackEnd] {
    return withBackEnd([&](IGraphicDevice& d, ITiledBitmapRenderer& r) { return WriteLargeBitmap(app_, d, r); });
  };
  qv::cmd::BindStandardWork(window_->commands(), app_);
  app_.TakeDrawColors();
}

void Viewer::Iterate(bool wait) {
  const int mode = window_->commands().pacingMode;
  if (wait || mode == 2 || mode == 3)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  else
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int Viewer::Run() {
  bool render = true;
  while (!window_->closed()) {
    if (render && RenderIfLoaded()) {
      window_->commands().CountFrame(static_cast<double>(gl_->clock.elapsed()));
      qCDebug(lcFrames, "drew frame %d", app_.currentFrame);
    }
    const int mode = window_->commands().pacingMode;
    Iterate(false);
    if (window_->closed()) break;
    switch (mode) {
      case 2:
        render = window_->view()->needsFrame;
        break;
      case 3: {
        const double now = static_cast<double>(gl_->clock.elapsed());
        render = window_->view()->needsFrame;
        const double since = now - lastPacedMs_;
        if (since > 32.0) {
          lastPacedMs_ = now;
          render = true;
          gl_->pacingTimer.start(33);
        } else if (!gl_->pacingTimer.isActive()) {
          gl_->pacingTimer.start(static_cast<int>(33.0 - since));
        }
        break;
      }
      default:
        render = true;
        break;
    }
  }
  gl_->pacingTimer.stop();
  return 0;
}

#include "Viewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "MainWindow.h"
#include "app/Commands.h"

struct Viewer::Gl {
  QElapsedTimer clock;
  QTimer pacingTimer;  // wakes the blocking wait in pacing mode 3
};

Viewer::Viewer(Quivane& app, std::unique_ptr<qv::cmd::ICameraControl> camera)
    : app_(app), camera_(std::move(camera)), gl_(std::make_unique<Gl>()) {}

Viewer::~Viewer() = default;

std::string CommandLineFile(int argc, char** argv) { return argc > 1 && argv[1] ? argv[1] : std::string(); }

int Viewer::pacingMode() const { return window_ ? window_->commands().pacingMode : app_.settings.vsync; }

bool Viewer::Start(const std::string& commandLineFile) {
  ReadSettings(SettingsFileLocation(), app_.settings);
  window_ = std::make_unique<MainWindow>(app_, *camera_, app_.settings.language == "en");
  qv::cmd::Commands& commands = window_->commands();
  int mode = app_.settings.vsync;
  if (mode < 0 || mode > 3) mode = 2;
  // No orientation source exists on this platform: the sensor setting only paces frames.
  if (app_.settings.orientationSensor == 1) mode = 3;
  commands.pacingMode = mode;
  window_->SetClientSize(app_.settings.width > 0 ? app_.settings.width : 640,
                         app_.settings.height > 0 ? app_.settings.height : 480);
  window_->show();
  if (!commandLineFile.empty()) commands.OpenFiles({commandLineFile});
  gl_->pacingTimer.setInterval(33);
  if (commands.pacingMode == 3) gl_->pacingTimer.start();
  gl_->clock.start();
  commands.StartFrameClock(0.0);
  return true;
}

bool Viewer::DrawFrame() {
  if (app_.dataSets.Empty()) return false;
  return window_->view()->RenderFrame();
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
    if (render && DrawFrame()) window_->commands().CountFrame(static_cast<double>(gl_->clock.elapsed()));
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
        if (now - lastPacedMs_ > 32.0) {
          lastPacedMs_ = now;
          render = true;
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

#pragma once
// The viewer's start-up, loop and shutdown, separate from main() so tests can drive them.
#include <memory>
#include <string>

#include "app/Commands.h"
#include "app/Quivane.h"

class MainWindow;
class QApplication;


class Viewer {
 public:
  Viewer(Quivane& app, std::unique_ptr<qv::cmd::ICameraControl> camera);
  ~Viewer();

  // Reads the settings, creates the window and the device, opens the file named on the
  // command line. False when the window or the device cannot be created.
  bool Start(const std::string& commandLineFile);
  // The combined event and render loop; returns when the window has closed.
  int Run();
  // One pass of the loop (tests); `wait` blocks for events as pacing mode 2 does.
  void Iterate(bool wait);
  MainWindow& window() { return *window_; }
  int pacingMode() const;

 private:
  bool DrawFrame();
  bool RenderIfLoaded();
  void ShowPendingNotice();
  void WireWork();

  Quivane& app_;
  std::unique_ptr<qv::cmd::ICameraControl> camera_;
  std::unique_ptr<MainWindow> window_;
  struct Gl;
  std::unique_ptr<Gl> gl_;
  double lastPacedMs_ = 0.0;
};

// The second token of the command line: the file to open (empty when none).
std::string CommandLineFile(int argc, char** argv);

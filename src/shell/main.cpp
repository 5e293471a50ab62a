// The viewer's entry point.
#include <QApplication>
#include <cstdio>
#include <memory>

#include "Viewer.h"
#include "app/CameraControl.h"
#include "app/Quivane.h"

int main(int argc, char** argv) {
  // The console may be a log file or a pipe (a desktop launcher, a redirect): every line
  // must be there when it happens, not when the program ends.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quivane"));
  QApplication::setDesktopFileName(QStringLiteral("quivane"));
  static Quivane app;  // lives until the process ends, as the data sets do
  Viewer viewer(app, std::make_unique<qv::cmd::AppCameraControl>(app));
  // Without a window or a device the program has failed; say so to whoever started it.
  if (!viewer.Start(CommandLineFile(argc, argv))) return 1;
  return viewer.Run();
}

// The viewer's entry point.
#include <QApplication>
#include <memory>

#include "Viewer.h"
#include "app/CameraControl.h"
#include "app/Quivane.h"

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quivane"));
  QApplication::setDesktopFileName(QStringLiteral("quivane"));
  static Quivane app;  // lives until the process ends, as the data sets do
  Viewer viewer(app, std::make_unique<qv::cmd::AppCameraControl>(app));
  // Without a window or a device the program has failed; say so to whoever started it.
  if (!viewer.Start(CommandLineFile(argc, argv))) return 1;
  return viewer.Run();
}

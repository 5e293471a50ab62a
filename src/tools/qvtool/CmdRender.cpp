// qvtool render: the bitmap the viewer would write, drawn through headless EGL.
#include <cstdio>
#include <string>

#include "app/BackEndFactory.h"
#include "output/BitmapFile.h"
#include "tools/qvtool/QvTool.h"

int CmdRender(Quivane& app, const ParsedArgs& args) {
  // The window size the viewer would open with.
  int width = 0, height = 0;
  qv::WindowClientSize(app.settings, width, height);
  if (!qvtool::SizeOption(args, 16384, width, height)) return 2;
  int magnify = app.settings.defaultBmpMagnify;
  if (!qvtool::IntOption(args, "magnify", magnify)) return 2;
  if (magnify < 1) {
    std::fprintf(stderr, "qvtool render: the magnification must be at least 1, got %d\n", magnify);
    return 2;
  }
  if (!qv::BgrImage::Representable(int64_t{width} * magnify, int64_t{height} * magnify)) {
    std::fprintf(stderr, "qvtool render: a %d x %d picture magnified %d times is too large\n",
                 width, height, magnify);
    return 2;
  }

  qv::BackEndKind kind = qv::BackEndForSetting(app.settings.directX11);
  if (args.Has("backend") && !qv::BackEndFromName(args.Value("backend"), kind)) {
    std::fprintf(stderr, "qvtool render: --backend is gl15 or gl33, got '%s'\n",
                 args.Value("backend").c_str());
    return 2;
  }

  // The first file is the primary data set; the others are drawn beside or over it.
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  for (size_t k = 1; k < args.positional.size() && !args.preloaded; ++k) {
    if (!qvtool::Open(app, args.positional[k])) return 1;
  }
  if (app.dataSets.Size() > 1) app.currentFrame = qvtool::SetFrameAll(app, app.currentFrame);
  app.drawWidth = width;
  app.drawHeight = height;

  std::string named;
  if (args.ranged && args.Has("o")) qvtool::FramePatternName(args.Value("o"), app.currentFrame, named);
  const std::string out =
      !named.empty() ? named
      : args.Has("o") ? args.Value("o")
                    : qv::BitmapFileName(
                          qv::BitmapBaseName(app.dataSets[0].path, app.settings.defaultPath),
                          app.currentFrame);
  // The same path as the viewer's bitmap command, with this command's name and magnification.
  std::string why;
  const std::string written = qv::WriteHeadlessBitmap(app, out, magnify, why, &kind);
  if (written.empty()) {
    if (!why.empty()) std::fprintf(stderr, "qvtool render: %s\n", why.c_str());
    return 1;
  }
  std::printf("%s\n", out.c_str());
  return 0;
}

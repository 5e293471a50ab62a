// qvtool render: the bitmap the viewer would write, drawn through headless EGL.
#include <cstdio>
#include <string>

#include "app/BitmapOutput.h"
#include "output/BitmapFile.h"
#include "rendering/gl/GraphicDeviceGL15.h"
#include "rendering/gl/SceneGL.h"
#include "rendering/gl/TiledBitmapGL.h"
#include "rendering/headless/HeadlessEGLSurface.h"
#include "tools/qvtool/QvTool.h"

namespace {

bool ParseSize(const std::string& text, int& w, int& h) {
  int a = 0, b = 0;
  char x = 0, extra = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &a, &x, &b, &extra) != 3 || (x != 'x' && x != 'X')) {
    return false;
  }
  if (a <= 0 || b <= 0 || a > 16384 || b > 16384) return false;
  w = a;
  h = b;
  return true;
}

}  // namespace

int CmdRender(Quivane& app, const ParsedArgs& args) {
  // The window size the viewer would open with (it takes 640 x 480 for a size that is not
  // positive).
  int width = app.settings.width > 0 ? app.settings.width : 640;
  int height = app.settings.height > 0 ? app.settings.height : 480;
  if (args.Has("size") && !ParseSize(args.Value("size"), width, height)) {
    std::fprintf(stderr, "qvtool render: --size needs WxH with sides 1..16384, got '%s'\n",
                 args.Value("size").c_str());
    return 2;
  }
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

  // The first file is the primary data set; the others are drawn beside or over it.
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  for (size_t k = 1; k < args.positional.size(); ++k) {
    if (!qvtool::Open(app, args.positional[k])) return 1;
  }
  if (app.dataSets.Size() > 1) app.currentFrame = qvtool::SetFrameAll(app, app.currentFrame);
  app.drawWidth = width;
  app.drawHeight = height;

  const std::string out =
      args.Has("o") ? args.Value("o")
                    : qv::BitmapFileName(
                          qv::BitmapBaseName(app.dataSets[0].path, app.settings.defaultPath),
                          app.currentFrame);

  std::string why;
  if (!HeadlessEGLSurface::Available(&why)) {
    std::fprintf(stderr, "qvtool render: %s\n", why.c_str());
    return 1;
  }
  HeadlessEGLSurface surface(width, height);
  GraphicDeviceGL15 device(&surface);
  const int status = device.Initialize(width, height, app.settings.vsync);
  if (status != 0 && status != 3) {
    std::fprintf(stderr, "qvtool render: the OpenGL device cannot start\n");
    return 1;
  }
  SceneRendererGL scene;
  TiledBitmapRendererGL renderer(device, scene, app.dataSets, app.camera.camera,
                                 SceneSettingsFrom(app.settings));
  // The same path as the viewer's bitmap command, with this command's name and magnification.
  const bool written = !RenderBitmapFile(app, out, magnify, device, renderer).empty();
  if (!written) return 1;
  std::printf("%s\n", out.c_str());
  return 0;
}

// qvtool render: the bitmap the viewer would write, drawn through headless EGL.
#include <algorithm>
#include <cstdio>
#include <string>

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

// The camera as the viewer places it after a load: looking along +y at the first data set's
// box centre from twice its largest edge, +z up.
SceneCamera FittedSceneCamera(const Quivane& app) {
  double box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10}, origin[3] = {0, 0, 0};
  const LawData& first = app.dataSets[0];
  // Data without a box count as the 10-unit cube at the origin.
  if (first.type >= 1 && first.type <= 7) first.GetBox(box, origin);
  double t[3];
  for (int k = 0; k < 3; ++k) t[k] = origin[k] + (box[k] + box[3 + k] + box[6 + k]) / 2;
  const double size = 2 * std::max({box[0], box[4], box[8]});
  const double eye[3] = {t[0], t[1] - size, t[2]};
  SceneCamera c;
  const double rows[3][3] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) c.view[k * 4 + r] = rows[r][k];
    c.view[12 + r] = -(rows[r][0] * eye[0] + rows[r][1] * eye[1] + rows[r][2] * eye[2]);
  }
  c.distance = size;
  c.viewAngle = app.settings.viewAngleRadians;
  return c;
}

}  // namespace

int CmdRender(Quivane& app, const ParsedArgs& args) {
  int width = app.settings.width, height = app.settings.height;
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
    const size_t before = app.dataSets.Size();
    app.OpenAndPrepare(args.positional[k]);
    if (app.dataSets.Size() == before) {
      std::fprintf(stderr, "qvtool: nothing loaded from '%s'\n", args.positional[k].c_str());
      return 1;
    }
  }
  if (app.dataSets.Size() > 1) app.currentFrame = app.SetFrameAll(app.currentFrame);
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
  const SceneCamera camera = FittedSceneCamera(app);
  SceneSettings scene;
  scene.colors = &app.settings.colors;
  scene.vramBytes = app.settings.vramBytes;
  scene.traceColor = {app.settings.trajectoryColor[0], app.settings.trajectoryColor[1],
                      app.settings.trajectoryColor[2]};
  scene.traceWidth = static_cast<float>(app.settings.trajectoryWidth);
  SceneRendererGL renderer;
  device.BeginFrame();
  const bool written = qvgl::RenderTiledBitmap(out, renderer, app.dataSets, app.options.values,
                                               camera, scene, width, height, magnify);
  device.EndFrame();
  if (!written) return 1;
  std::printf("%s\n", out.c_str());
  return 0;
}

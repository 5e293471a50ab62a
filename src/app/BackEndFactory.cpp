#include "app/BackEndFactory.h"

#include <cstdio>

#include "app/BitmapOutput.h"
#include "app/Quivane.h"
#include "rendering/gl/BackEndGL15.h"
#include "rendering/gl33/BackEndGL33.h"
#include "rendering/headless/HeadlessEGLSurface.h"

namespace qv {

BackEndKind BackEndForSetting(int directX11) {
  return directX11 == 1 ? BackEndKind::kShader : BackEndKind::kFixedFunction;
}

BackEndOptions BackEndOptionsOf(const Settings& settings) {
  BackEndOptions o;
  o.halfFloat = settings.colorFormat == "R16G16B16A16_FLOAT";
  return o;
}

std::unique_ptr<IRenderBackEnd> CreateRenderBackEnd(BackEndKind kind,
                                                    const BackEndOptions& options) {
  if (kind == BackEndKind::kShader) {
    BackEndGL33::Options o;
    o.halfFloat = options.halfFloat;
    return std::make_unique<BackEndGL33>(o);
  }
  return std::make_unique<BackEndGL15>();
}

bool BackEndFromName(const std::string& name, BackEndKind& kind) {
  for (BackEndKind k : BuiltBackEnds()) {
    if (name == BackEndName(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

std::vector<BackEndKind> BuiltBackEnds() {
  return {BackEndKind::kFixedFunction, BackEndKind::kShader};
}

const char* BackEndName(BackEndKind kind) {
  return kind == BackEndKind::kShader ? "gl33" : "gl15";
}

void WindowClientSize(const Settings& settings, int& width, int& height) {
  width = settings.width > 0 ? settings.width : 640;
  height = settings.height > 0 ? settings.height : 480;
}

SceneSettings SceneSettingsOf(const Quivane& app) {
  const Settings& s = app.settings;
  SceneSettings out;
  out.colors = &app.drawColors;
  out.colorsRevision = app.drawColorsRevision;
  out.vramBytes = s.vramBytes;
  out.maxPressure = s.maxPressure;
  out.traceColor = {s.trajectoryColor[0], s.trajectoryColor[1], s.trajectoryColor[2]};
  out.traceWidth = static_cast<float>(s.trajectoryWidth);
  out.heightCenter = s.colorHeightCenter;
  out.heightRange = s.colorHeightRange;
  out.renderingFilter = s.renderingFilter;
  return out;
}

HeadlessDrawing::~HeadlessDrawing() {
  // The back end's objects go while its contexts exist, then the surface.
  if (backEnd_) backEnd_->Release();
  backEnd_.reset();
  surface_.reset();
}

std::unique_ptr<HeadlessDrawing> HeadlessDrawing::Open(BackEndKind kind, int width, int height,
                                                       int vsyncMode, std::string& why,
                                                       const BackEndOptions& options) {
  if (!HeadlessEGLSurface::Available(&why)) return nullptr;
  std::unique_ptr<HeadlessDrawing> d(new HeadlessDrawing);
  d->surface_ = std::make_unique<HeadlessEGLSurface>(width, height);
  d->backEnd_ = CreateRenderBackEnd(kind, options);
  const int status = d->backEnd_->Initialize(*d->surface_, width, height, vsyncMode);
  if (status != 0 && status != 3) {
    why = std::string("the ") + d->backEnd_->Name() + " OpenGL device cannot start";
    const std::string detail = d->backEnd_->InitializeError();
    if (!detail.empty()) why += ": " + detail;
    return nullptr;
  }
  return d;
}

std::string WriteHeadlessBitmap(Quivane& app, const std::string& path, int magnify,
                                std::string& why, const BackEndKind* kind) {
  const BackEndKind chosen = kind ? *kind : BackEndForSetting(app.settings.directX11);
  std::unique_ptr<HeadlessDrawing> d =
      HeadlessDrawing::Open(chosen, app.drawWidth, app.drawHeight, app.settings.vsync, why,
                            BackEndOptionsOf(app.settings));
  if (!d) return {};
  const SceneSettings scene = SceneSettingsOf(app);
  std::unique_ptr<ITiledBitmapRenderer> renderer =
      d->BackEnd().BitmapRenderer(app.dataSets, app.camera.camera, scene);
  if (!renderer) {
    why = "the OpenGL device cannot draw bitmaps";
    return {};
  }
  return RenderBitmapFile(app, path, magnify, d->Device(), *renderer);
}

}  // namespace qv

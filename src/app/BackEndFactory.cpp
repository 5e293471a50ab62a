#include "app/BackEndFactory.h"

#include <cstdio>

#include "app/BitmapOutput.h"
#include "app/Quivane.h"
#include "rendering/gl/BackEndGL15.h"
#include "rendering/headless/HeadlessEGLSurface.h"

namespace qv {

BackEndKind BackEndForSetting(int directX11) {
  return directX11 == 1 ? BackEndKind::kShader : BackEndKind::kFixedFunction;
}

std::unique_ptr<IRenderBackEnd> CreateRenderBackEnd(BackEndKind) {
  return std::make_unique<BackEndGL15>();
}

const char* BackEndSubstitute(BackEndKind kind) {
  if (kind != BackEndKind::kShader) return nullptr;
  return "DirectX11=1 asks for the shader back end, which this build does not have yet; "
         "drawing with the fixed-function back end";
}

std::vector<BackEndKind> BuiltBackEnds() { return {BackEndKind::kFixedFunction}; }

const char* BackEndName(BackEndKind kind) {
  return kind == BackEndKind::kShader ? "gl33" : "gl15";
}

void WindowClientSize(const Settings& settings, int& width, int& height) {
  width = settings.width > 0 ? settings.width : 640;
  height = settings.height > 0 ? settings.height : 480;
}

bool ShowsButtonBar(const IRenderBackEnd& backEnd) { return backEnd.Profile() == GLProfile::kCore33; }

SceneSettings SceneSettingsOf(const Quivane& app, const IRenderBackEnd* backEnd) {
  const Settings& s = app.settings;
  SceneSettings out;
  out.colors = &app.drawColors;
  out.colorsRevision = app.drawColorsRevision;
  out.vramBytes = s.vramBytes;
  out.maxPressure = s.maxPressure;
  out.traceColor = {s.trajectoryColor[0], s.trajectoryColor[1], s.trajectoryColor[2]};
  out.traceWidth = static_cast<float>(s.trajectoryWidth);
  if (backEnd) {
    out.spheresShowPressure = backEnd->SpheresShowPressure();
    out.pressureNotice = &app.pressureNotice;
  }
  return out;
}

HeadlessDrawing::~HeadlessDrawing() {
  // The back end's objects go while its contexts exist, then the surface.
  if (backEnd_) backEnd_->Release();
  backEnd_.reset();
  surface_.reset();
}

std::unique_ptr<HeadlessDrawing> HeadlessDrawing::Open(BackEndKind kind, int width, int height,
                                                       int vsyncMode, std::string& why) {
  if (!HeadlessEGLSurface::Available(&why)) return nullptr;
  std::unique_ptr<HeadlessDrawing> d(new HeadlessDrawing);
  d->surface_ = std::make_unique<HeadlessEGLSurface>(width, height);
  d->backEnd_ = CreateRenderBackEnd(kind);
  const int status = d->backEnd_->Initialize(*d->surface_, width, height, vsyncMode);
  if (status != 0 && status != 3) {
    why = std::string("the ") + d->backEnd_->Name() + " OpenGL device cannot start";
    return nullptr;
  }
  return d;
}

std::string WriteHeadlessBitmap(Quivane& app, const std::string& path, int magnify,
                                std::string& why) {
  std::unique_ptr<HeadlessDrawing> d =
      HeadlessDrawing::Open(BackEndForSetting(app.settings.directX11), app.drawWidth,
                            app.drawHeight, app.settings.vsync, why);
  if (!d) return {};
  const SceneSettings scene = SceneSettingsOf(app, &d->BackEnd());
  std::unique_ptr<ITiledBitmapRenderer> renderer =
      d->BackEnd().BitmapRenderer(app.dataSets, app.camera.camera, scene);
  if (!renderer) {
    why = "the OpenGL device cannot draw bitmaps";
    return {};
  }
  std::string written = RenderBitmapFile(app, path, magnify, d->Device(), *renderer);
  // Without a window the notice is a console line.
  if (app.pressureNotice.TakePending()) {
    std::fputs(PressureNotice::kText, stdout);
    std::fflush(stdout);
  }
  return written;
}

}  // namespace qv

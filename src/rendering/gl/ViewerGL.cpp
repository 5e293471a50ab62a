#include "rendering/gl/ViewerGL.h"

#include <algorithm>

#include "rendering/gl/GraphicDeviceGL15.h"
#include "rendering/gl/SceneGL.h"
#include "rendering/gl/TiledBitmapGL.h"
#include "shell/settings/Settings.h"

struct ViewerGL::Impl {
  IGLSurfaceProvider* surface = nullptr;
  std::unique_ptr<GraphicDeviceGL15> device;
  std::unique_ptr<SceneRendererGL> scene;
};

namespace {
SceneCamera ToScene(const ViewerCamera& c) {
  SceneCamera s;
  std::copy(c.view, c.view + 16, s.view);
  s.distance = c.distance;
  s.viewAngle = c.viewAngle;
  s.nearFactor = c.nearFactor;
  s.farFactor = c.farFactor;
  return s;
}

SceneSettings ToScene(const Settings& settings, const qv::ColorTables& colors) {
  SceneSettings s;
  s.colors = &colors;
  s.vramBytes = settings.vramBytes;
  s.traceColor = {settings.trajectoryColor[0], settings.trajectoryColor[1], settings.trajectoryColor[2]};
  s.traceWidth = static_cast<float>(settings.trajectoryWidth);
  return s;
}
}  // namespace

ViewerGL::ViewerGL(IGLSurfaceProvider* surface) : impl_(std::make_unique<Impl>()) {
  impl_->surface = surface;
}

ViewerGL::~ViewerGL() { Release(); }

int ViewerGL::Initialize(int width, int height, int vsyncMode) {
  impl_->device = std::make_unique<GraphicDeviceGL15>(impl_->surface);
  const int result = impl_->device->Initialize(width, height, vsyncMode);
  if (result != 0 && result != 3) {
    impl_->device.reset();
    return result;
  }
  impl_->scene = std::make_unique<SceneRendererGL>();
  return result;
}

bool ViewerGL::DrawFrame(const DataSetList& dataSets, const DisplayValues& display,
                         const ViewerCamera& camera, const Settings& settings,
                         const qv::ColorTables& colors, int width, int height) {
  if (!impl_->device || width <= 0 || height <= 0) return false;
  impl_->device->BeginFrame();
  impl_->scene->DrawScene(dataSets, display, ToScene(camera), SceneTile::Whole(width, height),
                          ToScene(settings, colors));
  impl_->device->EndFrame();
  return true;
}

bool ViewerGL::WriteBitmap(const std::string& path, int magnify, const DataSetList& dataSets,
                           const DisplayValues& display, const ViewerCamera& camera,
                           const Settings& settings, const qv::ColorTables& colors, int width,
                           int height) {
  if (!impl_->device || width <= 0 || height <= 0) return false;
  impl_->device->BeginFrame();
  const bool ok = qvgl::RenderTiledBitmap(path, *impl_->scene, dataSets, display, ToScene(camera),
                                          ToScene(settings, colors), width, height,
                                          std::max(magnify, 1));
  impl_->device->EndFrame();
  return ok;
}

void ViewerGL::Release() {
  if (!impl_->device) return;
  if (impl_->device->MakeCurrent()) {
    impl_->scene.reset();
    impl_->device->DoneCurrent();
  }
  impl_->scene.reset();
  impl_->device.reset();
}

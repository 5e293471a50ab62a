#include "rendering/gl/ViewerGL.h"

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
SceneSettings ForScene(const Settings& settings, const qv::ColorTables& colors) {
  SceneSettings s = SceneSettingsFrom(settings);
  s.colors = &colors;
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
                         const CameraGL& camera, const Settings& settings,
                         const qv::ColorTables& colors, int width, int height) {
  if (!impl_->device || width <= 0 || height <= 0) return false;
  impl_->device->BeginFrame();
  impl_->scene->DrawScene(dataSets, display, SceneCamera::From(camera), SceneTile::Whole(width, height),
                          ForScene(settings, colors));
  impl_->device->EndFrame();
  return true;
}

IGraphicDevice* ViewerGL::Device() { return impl_->device.get(); }

std::unique_ptr<ITiledBitmapRenderer> ViewerGL::BitmapRenderer(const DataSetList& dataSets,
                                                               const CameraGL& camera,
                                                               const Settings& settings,
                                                               const qv::ColorTables& colors) {
  if (!impl_->device) return nullptr;
  return std::make_unique<TiledBitmapRendererGL>(*impl_->device, *impl_->scene, dataSets, camera,
                                                 ForScene(settings, colors));
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

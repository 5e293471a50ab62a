#include "rendering/RenderBackEnd.h"

namespace qv {

bool DrawWindowFrame(IRenderBackEnd& backEnd, IGLSurfaceProvider& surface,
                     const DataSetList& dataSets, const DisplayValues& display,
                     const SceneSettings& settings, const CameraGL& camera, int width, int height,
                     scene::SceneCache* cache) {
  IGraphicDevice* device = backEnd.Device();
  if (!device || width <= 0 || height <= 0) return false;
  // The view is computed once per picture, before the device starts the frame.
  const SceneCamera view = SceneCamera::From(camera);
  // The surface's size as the window reports it; the device applies it when it changed.
  device->Resize(width, height);
  device->BeginFrame();
  const scene::ScenePlan plan = scene::BuildScene(dataSets, display, settings,
                                                  SceneTile::Whole(width, height),
                                                  scene::ScenePurpose::kScreen, cache);
  backEnd.DrawPlan(plan, view, surface.Framebuffer());
  device->EndFrame();
  return true;
}

}  // namespace qv

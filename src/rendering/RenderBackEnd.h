#pragma once
// A drawing back end: the device on a surface and the renderers that draw a scene plan with
// it. The fixed-function one and the shader one differ only behind this interface, so the
// viewer, the batch tool and the tests drive both the same way. No graphics API here.
#include <memory>
#include <string>

#include "rendering/GLSurfaceProvider.h"
#include "rendering/GraphicDevice.h"
#include "rendering/TiledBitmapRenderer.h"
#include "rendering/scene/ScenePlan.h"

class IRenderBackEnd {
 public:
  virtual ~IRenderBackEnd() = default;

  // "gl15" or "gl33".
  virtual const char* Name() const = 0;
  // The context the surface must create for this back end; a window learns it before its
  // pixel format is fixed.
  virtual GLProfile Profile() const = 0;

  // Creates the device on the surface. 0: ready; 3: vsync was asked for but cannot be
  // switched on (the caller paces frames itself); anything else: failure, nothing is kept.
  virtual int Initialize(IGLSurfaceProvider& surface, int width, int height, int vsyncMode) = 0;
  // Why the last Initialize failed, in words for a message box; empty when it said nothing.
  virtual std::string InitializeError() const { return {}; }
  // Null before Initialize, after a failed one and after Release.
  virtual IGraphicDevice* Device() = 0;

  // Between the device's BeginFrame and EndFrame: draws the plan into the framebuffer, whose
  // size is the plan's tile.
  virtual void DrawPlan(const qv::scene::ScenePlan& plan, const SceneCamera& camera,
                        unsigned framebuffer) = 0;

  // The bitmap outputs' renderer, drawing these data sets with this back end's device; null
  // without a device. The data sets, camera and colour tables must outlive it.
  virtual std::unique_ptr<ITiledBitmapRenderer> BitmapRenderer(const DataSetList& dataSets,
                                                               const CameraGL& camera,
                                                               const SceneSettings& settings) = 0;

  // The surface is about to go: every GL object and the device are released now, while its
  // context can still be made current.
  virtual void Release() = 0;
};

namespace qv {
// One window frame: begins it, builds the screen plan of the data sets for the whole
// width x height surface, draws it into the surface's framebuffer and presents it. False
// (nothing drawn) without a device or for an empty size.
bool DrawWindowFrame(IRenderBackEnd& backEnd, IGLSurfaceProvider& surface,
                     const DataSetList& dataSets, const DisplayValues& display,
                     const SceneSettings& settings, const CameraGL& camera, int width, int height,
                     scene::SceneCache* cache);
}  // namespace qv

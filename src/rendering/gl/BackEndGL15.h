#pragma once
// The fixed-function back end: the OpenGL 1.5 device and the renderers that draw a scene
// plan with it (atoms as spheres with bond cylinders or as points, the box, polylines, and
// over them the screen's overlay).
// The header is free of GL, so the application layer can hold it.
#include <memory>

#include "rendering/RenderBackEnd.h"
#include "rendering/gl/AtomRendererGL.h"
#include "rendering/gl/BCARendererGL.h"
#include "rendering/gl/FieldRendererGL.h"
#include "rendering/gl/GraphicDeviceGL15.h"
#include "rendering/gl/KrbRendererGL.h"
#include "rendering/gl/LMCRendererGL.h"
#include "rendering/gl/PointRendererGL.h"
#include "rendering/gl/VmecRendererGL.h"
#include "rendering/ui/OverlayRendererGL.h"
#include "rendering/gl/VNTRendererGL.h"

class BackEndGL15 : public IRenderBackEnd {
 public:
  BackEndGL15();
  ~BackEndGL15() override;
  BackEndGL15(const BackEndGL15&) = delete;
  BackEndGL15& operator=(const BackEndGL15&) = delete;

  const char* Name() const override { return "gl15"; }
  GLProfile Profile() const override { return GLProfile::kCompatibility; }
  int Initialize(IGLSurfaceProvider& surface, int width, int height, int vsyncMode) override;
  IGraphicDevice* Device() override { return device_.get(); }
  void DrawPlan(const qv::scene::ScenePlan& plan, const SceneCamera& camera,
                unsigned framebuffer) override;
  std::unique_ptr<ITiledBitmapRenderer> BitmapRenderer(const DataSetList& dataSets,
                                                       const CameraGL& camera,
                                                       const SceneSettings& settings) override;
  void Release() override;

  GraphicDeviceGL15* DeviceGL15() { return device_.get(); }
  // The renderers, made on first use; they keep meshes and arrays between draws.
  AtomRendererGL& Atoms();
  PointRendererGL& Points();
  VNTRendererGL& Meshes();

 private:
  void DrawItem(const qv::scene::DrawItem& item, const qv::scene::ScenePlan& plan);

  std::unique_ptr<GraphicDeviceGL15> device_;
  std::unique_ptr<AtomRendererGL> atoms_;
  std::unique_ptr<PointRendererGL> points_;
  std::unique_ptr<LMCRendererGL> lattice_;
  std::unique_ptr<KrbRendererGL> particleEvents_;
  std::unique_ptr<VmecRendererGL> gridPoints_;
  OverlayRendererGL overlay_;
  BCARendererGL paths_;
  std::unique_ptr<FieldRendererGL> field_;
  std::unique_ptr<VNTRendererGL> meshes_;
};

#pragma once
// The shader back end: the OpenGL 3.3 core device and the renderers that draw a scene plan
// with it (atoms as instanced spheres, by height through the colour table, or as point
// sprites; bonds as cylinders; the box and polylines as lines; the depth-of-field filter;
// over them the screen's overlay).
// The header is free of GL, so the application layer can hold it.
#include <memory>
#include <string>

#include "rendering/RenderBackEnd.h"
#include "rendering/gl33/GraphicDeviceGL33.h"
#include "rendering/gl33/OverlayRendererGL33.h"

namespace qvgl33 {
class CommonShader;
class StateManagerGL33;
class SphereRendererGL33;
class SphereColorTableRendererGL33;
class CylinderRendererGL33;
class PointRendererGL33;
class BoxRendererGL33;
class VNTRendererGL33;
class DepthOfFieldFilterGL33;
class LMCRendererGL33;
class KrbRendererGL33;
class VmecRendererGL33;
class CylinderStripRendererGL33;
class FieldRendererGL33;
struct FrameMatrices;
}  // namespace qvgl33

class BackEndGL33 : public IRenderBackEnd {
 public:
  struct Options {
    bool halfFloat = false;      // RGBA16F render target
    std::string shaderDirectory;  // empty: "shaders" beside the program
  };
  BackEndGL33();
  explicit BackEndGL33(Options options);
  ~BackEndGL33() override;
  BackEndGL33(const BackEndGL33&) = delete;
  BackEndGL33& operator=(const BackEndGL33&) = delete;

  const char* Name() const override { return "gl33"; }
  GLProfile Profile() const override { return GLProfile::kCore33; }
  int Initialize(IGLSurfaceProvider& surface, int width, int height, int vsyncMode) override;
  std::string InitializeError() const override { return error_; }
  IGraphicDevice* Device() override { return device_.get(); }
  // Its spheres draw element colours in pressure mode (the scene builder supplies them and
  // the user is told once); its points show pressure.
  bool SpheresShowPressure() const override { return false; }
  // Draws into the device's render target, then copies it to `framebuffer` (left bound)
  // unless that is the render target itself.
  void DrawPlan(const qv::scene::ScenePlan& plan, const SceneCamera& camera,
                unsigned framebuffer) override;
  std::unique_ptr<ITiledBitmapRenderer> BitmapRenderer(const DataSetList& dataSets,
                                                       const CameraGL& camera,
                                                       const SceneSettings& settings) override;
  void Release() override;

  GraphicDeviceGL33* DeviceGL33() { return device_.get(); }
  // The picture's line width: a magnified bitmap widens every line by its magnification.
  void SetLineWidth(float width) { lineWidth_ = width; }

  // The shared objects and the renderers, made on first use (the context must be current).
  qvgl33::CommonShader& Shaders();
  qvgl33::SphereRendererGL33& Spheres();
  qvgl33::SphereColorTableRendererGL33& HeightSpheres();
  qvgl33::CylinderRendererGL33& Cylinders();
  qvgl33::PointRendererGL33& Points();
  qvgl33::BoxRendererGL33& Lines();
  qvgl33::VNTRendererGL33& Meshes();
  qvgl33::DepthOfFieldFilterGL33& Filter();
  qvgl33::CylinderStripRendererGL33& Strips();
  qvgl33::FieldRendererGL33& Fields();

 private:
  void DrawItem(const qv::scene::DrawItem& item, const qv::scene::ScenePlan& plan,
                const qvgl33::FrameMatrices& m);
  void DrawCells(const qv::scene::ScenePlan& plan, const SceneCamera& camera);

  Options options_;
  std::string error_;
  std::unique_ptr<GraphicDeviceGL33> device_;
  std::unique_ptr<qvgl33::CommonShader> shaders_;
  std::unique_ptr<qvgl33::StateManagerGL33> state_;
  std::unique_ptr<qvgl33::SphereRendererGL33> spheres_;
  std::unique_ptr<qvgl33::SphereColorTableRendererGL33> heightSpheres_;
  std::unique_ptr<qvgl33::CylinderRendererGL33> cylinders_;
  std::unique_ptr<qvgl33::PointRendererGL33> points_;
  std::unique_ptr<qvgl33::BoxRendererGL33> lines_;
  std::unique_ptr<qvgl33::VNTRendererGL33> meshes_;
  std::unique_ptr<qvgl33::DepthOfFieldFilterGL33> filter_;
  std::unique_ptr<qvgl33::LMCRendererGL33> lattice_;
  std::unique_ptr<qvgl33::KrbRendererGL33> particleEvents_;
  std::unique_ptr<qvgl33::VmecRendererGL33> gridPoints_;
  OverlayRendererGL33 overlay_;
  std::unique_ptr<qvgl33::CylinderStripRendererGL33> strips_;
  std::unique_ptr<qvgl33::FieldRendererGL33> fields_;
  float lineWidth_ = 1;
};

#include "rendering/gl33/BackEndGL33.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/Coloring.h"
#include "rendering/gl33/BoxRendererGL33.h"
#include "rendering/gl33/CommonShader.h"
#include "rendering/gl33/CylinderRendererGL33.h"
#include "rendering/gl33/CylinderStripRendererGL33.h"
#include "rendering/gl33/DepthOfFieldFilterGL33.h"
#include "rendering/gl33/KrbRendererGL33.h"
#include "rendering/gl33/LMCRendererGL33.h"
#include "rendering/gl33/FieldRendererGL33.h"
#include "rendering/gl33/PointRendererGL33.h"
#include "rendering/gl33/VmecRendererGL33.h"
#include "rendering/gl33/SphereRendererGL33.h"
#include "rendering/gl33/StateManagerGL33.h"
#include "rendering/gl33/TiledBitmapGL33.h"
#include "rendering/gl33/VNTRendererGL33.h"

BackEndGL33::BackEndGL33() = default;
BackEndGL33::BackEndGL33(Options options) : options_(std::move(options)) {}
BackEndGL33::~BackEndGL33() { Release(); }

int BackEndGL33::Initialize(IGLSurfaceProvider& surface, int width, int height, int vsyncMode) {
  error_.clear();
  device_ = std::make_unique<GraphicDeviceGL33>(&surface, options_.halfFloat);
  const int result = device_->Initialize(width, height, vsyncMode);
  if (result != 0 && result != 3) {
    error_ = device_->Error();
    device_.reset();
    return result;
  }
  // The shared objects come right after the device, as the renderers will need them.
  if (device_->MakeCurrent()) {
    Shaders();
    state_ = std::make_unique<qvgl33::StateManagerGL33>();
    device_->DoneCurrent();
  }
  return result;
}

qvgl33::CommonShader& BackEndGL33::Shaders() {
  if (!shaders_) {
    shaders_ = std::make_unique<qvgl33::CommonShader>(
        options_.shaderDirectory.empty() ? qvgl33::DefaultShaderDirectory()
                                         : options_.shaderDirectory);
  }
  return *shaders_;
}

qvgl33::SphereRendererGL33& BackEndGL33::Spheres() {
  if (!spheres_) spheres_ = std::make_unique<qvgl33::SphereRendererGL33>(Shaders());
  return *spheres_;
}
qvgl33::SphereColorTableRendererGL33& BackEndGL33::HeightSpheres() {
  if (!heightSpheres_)
    heightSpheres_ = std::make_unique<qvgl33::SphereColorTableRendererGL33>(Shaders());
  return *heightSpheres_;
}
qvgl33::CylinderRendererGL33& BackEndGL33::Cylinders() {
  if (!cylinders_) cylinders_ = std::make_unique<qvgl33::CylinderRendererGL33>(Shaders());
  return *cylinders_;
}
qvgl33::PointRendererGL33& BackEndGL33::Points() {
  if (!points_) points_ = std::make_unique<qvgl33::PointRendererGL33>(Shaders());
  return *points_;
}
qvgl33::BoxRendererGL33& BackEndGL33::Lines() {
  if (!lines_) lines_ = std::make_unique<qvgl33::BoxRendererGL33>(Shaders());
  return *lines_;
}
qvgl33::CylinderStripRendererGL33& BackEndGL33::Strips() {
  if (!strips_) strips_ = std::make_unique<qvgl33::CylinderStripRendererGL33>(Shaders());
  return *strips_;
}
qvgl33::FieldRendererGL33& BackEndGL33::Fields() {
  if (!fields_) fields_ = std::make_unique<qvgl33::FieldRendererGL33>(Shaders());
  return *fields_;
}
qvgl33::VNTRendererGL33& BackEndGL33::Meshes() {
  if (!meshes_) meshes_ = std::make_unique<qvgl33::VNTRendererGL33>(Shaders());
  return *meshes_;
}
qvgl33::DepthOfFieldFilterGL33& BackEndGL33::Filter() {
  if (!filter_) filter_ = std::make_unique<qvgl33::DepthOfFieldFilterGL33>(Shaders());
  return *filter_;
}

namespace {
// A renderer made on first use (the context is current while a plan is drawn).
template <class T>
T& Made(std::unique_ptr<T>& p, qvgl33::CommonShader& shaders) {
  if (!p) p = std::make_unique<T>(shaders);
  return *p;
}

// Overloaded lambdas for std::visit.
template <class... F>
struct Visitor : F... {
  using F::operator()...;
};
template <class... F>
Visitor(F...) -> Visitor<F...>;

void ToFloat(const double* in, float* out) {
  for (int k = 0; k < 16; ++k) out[k] = static_cast<float>(in[k]);
}
}  // namespace

void BackEndGL33::DrawItem(const qv::scene::DrawItem& item, const qv::scene::ScenePlan& plan,
                           const qvgl33::FrameMatrices& m) {
  // Each data set keeps its own buffers, so several drawn in one frame are not refilled.
  const size_t slot = static_cast<size_t>(std::max(item.dataSet, 0));
  std::visit(Visitor{
                 [&](const qv::scene::AtomsItem& a) {
                   if (a.style == kAtomStylePoints) {
                     Points().Draw(a, slot, plan.settings, m);
                   } else if (a.colorMode == qv::kColorByHeight) {
                     // Height colouring shows the spheres only.
                     const qv::HeightRamp ramp = qv::MakeHeightRamp(
                         a.frame->box, plan.settings.heightCenter, plan.settings.heightRange);
                     HeightSpheres().Draw(a, slot, ramp, plan.display, plan.settings, m);
                   } else {
                     Spheres().Draw(a, slot, plan.display, plan.settings, m);
                     if (a.drawBonds) Cylinders().Draw(a, slot, plan.display, plan.settings, m);
                   }
                 },
                 [&](const qv::scene::BoxItem& b) { Lines().Draw(b, m); },
                 [&](const qv::scene::PolylineItem& p) { Lines().Draw(p, m); },
                 [&](const qv::scene::LatticeItem& l) { Made(lattice_, Shaders()).Draw(l, slot, m); },
                 [&](const qv::scene::ParticleEventsItem& k) { Made(particleEvents_, Shaders()).Draw(k, slot, Spheres(), Points(), plan.display, plan.settings, m); },
                 [&](const qv::scene::GridPointsItem& g) { Made(gridPoints_, Shaders()).Draw(g, slot, m); },
                 [&](const qv::scene::PathsItem& p) { Strips().Draw(p, slot, plan.settings, m); },
                 [&](const qv::scene::FieldCellsItem& f) {
                   Fields().Draw(f, slot, plan.settings, m);
                 },
                 [&](const qv::scene::MeshItem& mesh) { Meshes().Draw(mesh, slot, m); },
             },
             item.what);
}

void BackEndGL33::DrawCells(const qv::scene::ScenePlan& plan, const SceneCamera& camera) {
  qvgl33::FrameMatrices m;
  // The camera's eye space looks along +z; GL's looks along -z.
  double view[16];
  std::copy(camera.view, camera.view + 16, view);
  view[2] = -view[2], view[6] = -view[6], view[10] = -view[10], view[14] = -view[14];
  ToFloat(view, m.view);
  m.lineWidth = lineWidth_;
  for (const qv::scene::SceneCell& cell : plan.cells) {
    glViewport(cell.viewportX, cell.viewportY, cell.viewportW, cell.viewportH);
    const CameraGL::Mat4 p =
        camera.camera.ProjectionGL(plan.display.projection, cell.cellW, cell.cellH, cell.subX,
                                   cell.subY, cell.viewportW, cell.viewportH, camera.distance);
    ToFloat(p.data(), m.projection);
    for (const qv::scene::DrawItem& item : cell.items) DrawItem(item, plan, m);
  }
}

void BackEndGL33::DrawPlan(const qv::scene::ScenePlan& plan, const SceneCamera& camera,
                           unsigned framebuffer) {
  if (!device_ || !state_) return;
  const int w = std::max(plan.tile.width, 1), h = std::max(plan.tile.height, 1);
  if (!device_->EnsureSize(w, h)) return;
  const RenderContextGL33& rc = device_->Context();
  const bool filtered = plan.settings.renderingFilter == 1 && Filter().Begin(w, h, rc.halfFloat);
  if (!filtered) glBindFramebuffer(GL_FRAMEBUFFER, rc.framebuffer);
  state_->Apply();
  glViewport(0, 0, w, h);
  const auto& bg = plan.display.background;
  glClearColor(bg[0], bg[1], bg[2], bg[3]);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawCells(plan, camera);
  if (filtered) {
    const int mode = plan.display.projection;
    Filter().End(rc.framebuffer, static_cast<float>(camera.distance),
                 static_cast<float>(camera.camera.NearPlane(mode, camera.distance)),
                 static_cast<float>(camera.camera.FarPlane(mode, camera.distance)),
                 mode == kPerspective);
  }
  if (!plan.overlay.empty()) {
    glBindFramebuffer(GL_FRAMEBUFFER, rc.framebuffer);
    overlay_.Draw(plan.overlay, w, h);
  }
  glBindVertexArray(0);
  glUseProgram(0);
  if (framebuffer != rc.framebuffer) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, rc.framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  }
}

std::unique_ptr<ITiledBitmapRenderer> BackEndGL33::BitmapRenderer(const DataSetList& dataSets,
                                                                  const CameraGL& camera,
                                                                  const SceneSettings& settings) {
  if (!device_) return nullptr;
  return std::make_unique<TiledBitmapRendererGL33>(*this, dataSets, camera, settings);
}

void BackEndGL33::Release() {
  if (!device_) return;
  // Renderers first, then the state, the filter and the shader cache, while the context can
  // still be made current; the device goes last with its targets and context.
  const bool current = device_->MakeCurrent();
  if (current) {
    lattice_.reset(), particleEvents_.reset(), gridPoints_.reset();
    strips_.reset();
    fields_.reset();
    if (meshes_) meshes_->Textures().Release();
    meshes_.reset();
    points_.reset();
    lines_.reset();
    cylinders_.reset();
    heightSpheres_.reset();
    spheres_.reset();
    state_.reset();
    filter_.reset();
    shaders_.reset();
    overlay_.Release();
    device_->DoneCurrent();
  } else {
    // Without a context the GL objects went with it, and their destructors must not call
    // GL: the wrappers are dropped without running them (a small leak on a dying surface).
    lattice_.release(), particleEvents_.release(), gridPoints_.release();
    strips_.release();
    fields_.release();
    if (meshes_) meshes_->Textures().Forget();
    meshes_.release();
    points_.release();
    lines_.release();
    cylinders_.release();
    heightSpheres_.release();
    spheres_.release();
    filter_.release();
    shaders_.release();
    state_.reset();
    overlay_.Forget();
  }
  device_.reset();
}

#include "rendering/gl/BackEndGL15.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/gl/SceneGL.h"
#include "rendering/gl/TiledBitmapGL.h"

BackEndGL15::BackEndGL15() = default;

BackEndGL15::~BackEndGL15() { Release(); }

int BackEndGL15::Initialize(IGLSurfaceProvider& surface, int width, int height, int vsyncMode) {
  device_ = std::make_unique<GraphicDeviceGL15>(&surface);
  const int result = device_->Initialize(width, height, vsyncMode);
  if (result != 0 && result != 3) device_.reset();
  return result;
}

AtomRendererGL& BackEndGL15::Atoms() {
  if (!atoms_) atoms_ = std::make_unique<AtomRendererGL>();
  return *atoms_;
}

PointRendererGL& BackEndGL15::Points() {
  if (!points_) points_ = std::make_unique<PointRendererGL>();
  return *points_;
}

VNTRendererGL& BackEndGL15::Meshes() {
  if (!meshes_) meshes_ = std::make_unique<VNTRendererGL>();
  return *meshes_;
}

namespace {
// A renderer made on first use.
template <class T>
T& Made(std::unique_ptr<T>& p) {
  if (!p) p = std::make_unique<T>();
  return *p;
}

// Overloaded lambdas for std::visit.
template <class... F>
struct Visitor : F... {
  using F::operator()...;
};
template <class... F>
Visitor(F...) -> Visitor<F...>;
}  // namespace

void BackEndGL15::DrawItem(const qv::scene::DrawItem& item, const qv::scene::ScenePlan& plan) {
  std::visit(Visitor{
                 [&](const qv::scene::AtomsItem& a) {
                   if (a.style == kAtomStylePoints) Points().Draw(a, plan.display, plan.settings);
                   else Atoms().Draw(a, plan.display, plan.settings);
                 },
                 [&](const qv::scene::BoxItem& b) {
                   qvgl::DrawBox(b);
                   glFlush();
                 },
                 [&](const qv::scene::PolylineItem& p) { qvgl::DrawPolyline(p); },
                 [&](const qv::scene::LatticeItem& l) { Made(lattice_).Draw(l); },
                 [&](const qv::scene::ParticleEventsItem& k) { Made(particleEvents_).Draw(k, plan.display, plan.settings); },
                 [&](const qv::scene::GridPointsItem& g) { Made(gridPoints_).Draw(g); },
                 [&](const qv::scene::PathsItem& p) { paths_.Draw(p); },
                 [&](const qv::scene::FieldCellsItem& f) {
                   if (!field_) field_ = std::make_unique<FieldRendererGL>();
                   field_->Draw(f, plan.settings);
                 },
                 [&](const qv::scene::MeshItem& m) { Meshes().Draw(m); },
             },
             item.what);
}

void BackEndGL15::DrawPlan(const qv::scene::ScenePlan& plan, const SceneCamera& camera,
                           unsigned framebuffer) {
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  const auto& bg = plan.display.background;
  glClearColor(bg[0], bg[1], bg[2], bg[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat light[4] = {0, 1, 0, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  // The camera's eye space looks along +z; GL's looks along -z.
  double view[16];
  std::copy(camera.view, camera.view + 16, view);
  view[2] = -view[2], view[6] = -view[6], view[10] = -view[10], view[14] = -view[14];
  glLoadMatrixd(view);

  for (const qv::scene::SceneCell& cell : plan.cells) {
    glViewport(cell.viewportX, cell.viewportY, cell.viewportW, cell.viewportH);
    qvgl::LoadProjection(plan.display.projection, cell.cellW, cell.cellH, cell.subX, cell.subY,
                         cell.viewportW, cell.viewportH, camera);
    for (const qv::scene::DrawItem& item : cell.items) DrawItem(item, plan);
  }
  overlay_.Draw(plan.overlay, plan.tile.width, plan.tile.height);
}

std::unique_ptr<ITiledBitmapRenderer> BackEndGL15::BitmapRenderer(const DataSetList& dataSets,
                                                                  const CameraGL& camera,
                                                                  const SceneSettings& settings) {
  if (!device_) return nullptr;
  return std::make_unique<TiledBitmapRendererGL>(*this, dataSets, camera, settings);
}

void BackEndGL15::Release() {
  if (!device_) return;
  // The renderers hold no GL objects of their own (client-side arrays), but they go while
  // the context can still be made current, as every back end's do.
  if (device_->MakeCurrent()) {
    atoms_.reset();
    points_.reset();
    lattice_.reset(), particleEvents_.reset(), gridPoints_.reset();
    overlay_.Release();
    field_.reset();
    if (meshes_) meshes_->Textures().Release();
    device_->DoneCurrent();
  }
  if (meshes_) meshes_->Textures().Forget();
  meshes_.reset();
  atoms_.reset();
  points_.reset();
  lattice_.reset(), particleEvents_.reset(), gridPoints_.reset();
  field_.reset();
  device_.reset();
}

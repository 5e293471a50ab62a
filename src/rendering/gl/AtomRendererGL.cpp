#include "rendering/gl/AtomRendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>

#include "rendering/gl/GLErrors.h"

void AtomRendererGL::DrawBatch() {
  if (batch_.indexCount == 0) return;
  glVertexPointer(3, GL_FLOAT, 0, batch_.positions.data());
  glNormalPointer(GL_FLOAT, 0, batch_.normals.data());
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, batch_.colors.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch_.indexCount), GL_UNSIGNED_INT,
                 batch_.indices.data());
  ++drawCalls_;
  qvgl::ReportGLError();
}

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}
}  // namespace

void AtomRendererGL::Draw(const qv::scene::AtomsItem& item, const DisplayValues& display,
                          const SceneSettings& settings) {
  drawCalls_ = 0;
  fillSeconds_ = 0;
  filled_ = 0;
  if (display.atomPoly != spherePoly_ || display.atomRadius != sphereRadius_) {
    qv::geo::BuildSphereMesh(display.atomPoly, static_cast<float>(display.atomRadius), sphere_);
    spherePoly_ = display.atomPoly;
    sphereRadius_ = display.atomRadius;
    ++sphereBuilds_;
    ++meshKey_;
  }
  // The cylinders keep the radius they were built with until their own parameters change.
  if (display.bondPoly != cylinderPoly_ || display.bondStyle != cylinderBond_) {
    qv::geo::BuildCylinderMesh(display.bondPoly, static_cast<float>(0.25 * display.atomRadius),
                            cylinder_);
    cylinderPoly_ = display.bondPoly;
    cylinderBond_ = display.bondStyle;
    ++cylinderBuilds_;
    ++meshKey_;
  }
  const int64_t budgetBytes = settings.vramBytes;
  const size_t atoms = item.atomCount;
  const float* positions = item.frame->positions.data();
  const uint32_t* colors = item.colors;
  const BOND_INFO* bonds = item.bonds;

  const bool sameSource = lastKey_ == item.key && lastMeshKey_ == meshKey_;
  if (!sameSource) content_ = Content::kNone;
  lastKey_ = item.key;
  lastMeshKey_ = meshKey_;

  glDisable(GL_BLEND);
  glColor4f(1, 1, 1, 1);
  glDisable(GL_CULL_FACE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glEnable(GL_COLOR_MATERIAL);

  bool drewAtoms = false;
  if (sphere_.vertexCount > 0 && atoms > 0) {
    const size_t per = qv::geo::BatchCapacity(budgetBytes, sphere_);
    const bool single = atoms <= per;
    if (!(single && content_ == Content::kAtoms)) {
      content_ = Content::kNone;
    }
    for (size_t first = 0; first < atoms; first += per) {
      const size_t last = std::min(atoms, first + per);
      if (content_ != Content::kAtoms) {
        const auto start = Clock::now();
        qv::geo::FillSphereBatch(sphere_, positions, colors, first, last, batch_);
        fillSeconds_ += Seconds(start);
        ++filled_;
      }
      DrawBatch();
    }
    content_ = single ? Content::kAtoms : Content::kNone;
    drewAtoms = true;
  }

  const int32_t bondCount = bonds ? std::min<int64_t>(bonds->bondCount, bonds->entries.size()) : 0;
  if (item.drawBonds && cylinder_.vertexCount > 0 && bondCount > 0) {
    const size_t total = static_cast<size_t>(bondCount);
    const size_t per = qv::geo::BatchCapacity(budgetBytes, cylinder_);
    const bool single = total <= per;
    const bool reuse = single && !drewAtoms && content_ == Content::kBonds;
    for (size_t first = 0; first < total; first += per) {
      const size_t last = std::min(total, first + per);
      if (!reuse) {
        const auto start = Clock::now();
        qv::geo::FillBondBatch(cylinder_, bonds->entries.data(), positions, colors,
                               static_cast<int32_t>(atoms), first, last, batch_);
        fillSeconds_ += Seconds(start);
        ++filled_;
      }
      DrawBatch();
    }
    content_ = single ? Content::kBonds : Content::kNone;
  }

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_CULL_FACE);
}

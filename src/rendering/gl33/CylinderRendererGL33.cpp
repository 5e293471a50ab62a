#include "rendering/gl33/CylinderRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace qvgl33 {

InputLayout CylinderRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12}, {"COLOR", kUnorm4, 0, 24}};
}

CylinderRendererGL33::CylinderRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_color.glsl", "ps_color.glsl", nullptr, Layout()) {}

void CylinderRendererGL33::Draw(const qv::scene::AtomsItem& item, size_t dataSet,
                                const DisplayValues& display, const SceneSettings& settings,
                                const FrameMatrices& m) {
  last_ = {};
  if (!Ready()) return;
  // As in the fixed-function back end, the thickness follows the radius only when the
  // cylinder's own parameters change.
  if (display.bondPoly != level_ || display.bondStyle != radius_) {
    qv::geo::BuildCylinderMesh(display.bondPoly, static_cast<float>(0.25 * display.atomRadius),
                               cylinder_);
    level_ = display.bondPoly;
    radius_ = display.bondStyle;
    ++builds_;
  }
  const BOND_INFO* bonds = item.bonds;
  const int32_t bondCount =
      bonds ? static_cast<int32_t>(std::min<int64_t>(bonds->bondCount, bonds->entries.size())) : 0;
  if (cylinder_.vertexCount == 0 || bondCount <= 0) return;
  const size_t total = static_cast<size_t>(bondCount);
  const size_t per = qv::geo::BatchCapacity(settings.vramBytes, cylinder_);
  const bool single = total <= per;
  FilledFrom& from = FilledFor(filled_, dataSet);
  const bool reuse = single && from.valid && from.key == item.key && from.meshBuild == builds_;
  from.key = item.key;
  from.meshBuild = builds_;
  from.valid = single;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);

  renderer_.Use(m);
  arrays.Bind();
  SetLight(renderer_);
  for (size_t first = 0; first < total; first += per) {
    const size_t last = std::min(total, first + per);
    if (!reuse) {
      qv::geo::FillBondBatch(cylinder_, bonds->entries.data(), item.frame->positions.data(),
                             item.colors, static_cast<int32_t>(item.atomCount), first, last,
                             batch_);
      const size_t nv = batch_.vertexCount;
      staging_.resize(7 * nv);
      uint32_t* out = staging_.data();
      for (size_t v = 0; v < nv; ++v) {
        std::memcpy(out + 7 * v, &batch_.positions[3 * v], 3 * sizeof(float));
        std::memcpy(out + 7 * v + 3, &batch_.normals[3 * v], 3 * sizeof(float));
        out[7 * v + 6] = batch_.colors[v];
      }
      arrays.Upload(0, staging_.data(), 28 * nv);
      arrays.UploadIndices(batch_.indices.data(), batch_.indexCount * sizeof(uint32_t));
      from.count = batch_.indexCount;
      ++last_.uploads;
      ++uploadsSoFar_;
    }
    if (from.count > 0) {
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(from.count), GL_UNSIGNED_INT, nullptr);
      ++last_.drawCalls;
    }
  }
}

InputLayout CylinderColorTableRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12}, {"INS_POS", kFloat4, 1, 0}};
}

CylinderColorTableRendererGL33::CylinderColorTableRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_inst_color_table.glsl", "ps_color.glsl", nullptr, Layout()) {}

void CylinderColorTableRendererGL33::Draw(const float* positions, size_t count, int sides,
                                          float radius, const qv::HeightRamp& ramp,
                                          const FrameMatrices& m) {
  if (!Ready() || count == 0) return;
  mesh_.Ensure(renderer_, true, sides, radius);
  if (mesh_.mesh.indexCount == 0) return;
  staging_.resize(4 * count);
  for (size_t k = 0; k < count; ++k) {
    std::memcpy(&staging_[4 * k], positions + 3 * k, 3 * sizeof(float));
    staging_[4 * k + 3] = 1.0f;
  }
  renderer_.Shared().Upload(1, staging_.data(), 16 * count);
  renderer_.Use(m);
  renderer_.Shared().Bind();
  SetLight(renderer_);
  SetRampUniforms(renderer_, ramp);
  glDrawElementsInstanced(GL_TRIANGLES, mesh_.mesh.indexCount, GL_UNSIGNED_INT, nullptr,
                          static_cast<GLsizei>(count));
}

}  // namespace qvgl33

#include "rendering/gl33/PointRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace qvgl33 {

namespace {
// The geometry shader sizes its sprites itself.
void SetPointUniforms(const BasicRendererGL33& r, float pixels) {
  glEnable(GL_PROGRAM_POINT_SIZE);
  glUniform1f(r.Uniform("uPointSize"), pixels);
}
}  // namespace

InputLayout PointRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"COLOR", kUnorm4, 0, 12}};
}

PointRendererGL33::PointRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color.glsl", "ps_point_color.glsl", "gs_point_color.glsl",
                Layout()) {}

void PointRendererGL33::Draw(const qv::scene::AtomsItem& item, size_t dataSet,
                             const SceneSettings& settings, const FrameMatrices& m) {
  last_ = {};
  if (!Ready()) return;
  const size_t atoms = item.atomCount;
  if (atoms == 0) return;
  const size_t per = static_cast<size_t>(std::max<int64_t>(settings.vramBytes / 16, 1));
  const bool single = atoms <= per;
  FilledFrom& from = FilledFor(filled_, dataSet);
  const bool reuse = single && from.valid && from.key == item.key;
  from.key = item.key;
  from.valid = single;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);

  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_CULL_FACE);
  renderer_.Use(m);
  arrays.Bind();
  SetPointUniforms(renderer_, 2.0f);
  const float* positions = item.frame->positions.data();
  for (size_t first = 0; first < atoms; first += per) {
    const size_t last = std::min(atoms, first + per);
    if (!reuse) {
      staging_.resize(4 * (last - first));
      const size_t n = qv::geo::PackVisibleInstances(positions, item.colors, first, last, staging_.data());
      from.count = n;
      arrays.Upload(0, staging_.data(), 16 * n);
      ++last_.uploads;
    }
    if (from.count > 0) {
      glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(from.count));
      ++last_.drawCalls;
    }
  }
  glDisable(GL_PROGRAM_POINT_SIZE);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
}

InputLayout PointSpriteGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"COLOR", kFloat4, 0, 12}};
}

PointSpriteGL33::PointSpriteGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color.glsl", "ps_point_color.glsl", "gs_point_color.glsl",
                Layout()) {}

void PointSpriteGL33::Draw(const float* points, size_t count, float pixels,
                           const FrameMatrices& m) {
  if (!Ready() || count == 0) return;
  renderer_.Shared().Upload(0, points, 28 * count);
  glDisable(GL_CULL_FACE);
  renderer_.Use(m);
  renderer_.Shared().Bind();
  SetPointUniforms(renderer_, pixels);
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count));
  glDisable(GL_PROGRAM_POINT_SIZE);
  glEnable(GL_CULL_FACE);
}

}  // namespace qvgl33

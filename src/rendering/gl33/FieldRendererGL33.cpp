#include "rendering/gl33/FieldRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace qvgl33 {

InputLayout FieldRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"COLOR", kUnorm4, 0, 12}};
}

FieldRendererGL33::FieldRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color.glsl", "ps_point_color.glsl", "gs_point_color.glsl",
                Layout()) {}

void FieldRendererGL33::Draw(const qv::scene::FieldCellsItem& item, size_t dataSet,
                             const SceneSettings& settings, const FrameMatrices& m) {
  last_ = {};
  if (!Ready() || !item.frame) return;
  if (filled_.size() <= dataSet) filled_.resize(dataSet + 1);
  Filled& f = filled_[dataSet];
  if (f.frame != item.frame) {
    qv::geo::FillFieldPoints(*item.frame, f.points);
    f.frame = item.frame;
    f.uploaded = false;
  }
  const size_t total = f.points.count;
  if (total == 0) return;
  const size_t per = static_cast<size_t>(std::max<int64_t>(settings.vramBytes / 16, 1));
  const bool single = total <= per;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);

  double view[16], projection[16];
  std::copy(m.view, m.view + 16, view);
  std::copy(m.projection, m.projection + 16, projection);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float pixels =
      qv::geo::ProjectedPixels(f.points.spacing, f.points.centre, view, projection, viewport[3]);

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glDisable(GL_CULL_FACE);
  renderer_.Use(m);
  arrays.Bind();
  glEnable(GL_PROGRAM_POINT_SIZE);
  glUniform1f(renderer_.Uniform("uPointSize"), pixels);
  for (size_t first = 0; first < total; first += per) {
    const size_t n = std::min(per, total - first);
    if (!single || !f.uploaded) {
      staging_.resize(4 * n);
      for (size_t i = 0; i < n; ++i) {
        std::memcpy(&staging_[4 * i], &f.points.positions[3 * (first + i)], 3 * sizeof(float));
        staging_[4 * i + 3] = f.points.colors[first + i];
      }
      arrays.Upload(0, staging_.data(), 16 * n);
      f.uploaded = single;
      ++last_.uploads;
    }
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(n));
    ++last_.drawCalls;
  }
  glDisable(GL_PROGRAM_POINT_SIZE);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);
}

}  // namespace qvgl33

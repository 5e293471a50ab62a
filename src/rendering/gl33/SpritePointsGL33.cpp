#include "rendering/gl33/SpritePointsGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvgl33 {

namespace {

InputLayout PointLayout() { return {{"POSITION", kFloat3, 0, 0}, {"COLOR", kUnorm4, 0, 12}}; }

size_t& CountFor(std::vector<size_t>& counts, size_t dataSet) {
  if (counts.size() <= dataSet) counts.resize(dataSet + 1, 0);
  return counts[dataSet];
}

// Interleaves positions and colour words as the layout reads them, 16 bytes per vertex.
void Stage(qv::PodVector<uint32_t>& staging, const float* xyz, size_t stride, const uint32_t* colors,
           size_t count) {
  staging.resize(4 * count);
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(&staging[4 * i], xyz + i * stride, 3 * sizeof(float));
    staging[4 * i + 3] = colors[i];
  }
}

}  // namespace

SpritePointsGL33::SpritePointsGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color.glsl", "ps_point_color.glsl", "gs_point_color.glsl",
                PointLayout()) {}

void SpritePointsGL33::Draw(size_t dataSet, bool refill, const float* xyz, size_t stride,
                            const uint32_t* colors, size_t count, float worldSize,
                            const float centre[3], bool translucent, const FrameMatrices& m) {
  if (!Ready()) return;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);
  size_t& filled = CountFor(counts_, dataSet);
  if (refill) {
    Stage(staging_, xyz, stride, colors, count);
    arrays.Upload(0, staging_.data(), 16 * count);
    filled = count;
  }
  if (filled == 0) return;
  GLint viewport[4] = {0, 0, 1, 1};
  glGetIntegerv(GL_VIEWPORT, viewport);
  const float* p = m.projection;
  const float* v = m.view;
  // Pixels per world unit: divided by the depth of the data's centre in perspective.
  float pixels = worldSize * p[5] * static_cast<float>(viewport[3]) * 0.5f;
  if (p[11] != 0) {
    const float depth = -(v[2] * centre[0] + v[6] * centre[1] + v[10] * centre[2] + v[14]);
    pixels = depth > 0 ? pixels / depth : 1.0f;
  }
  glDisable(GL_CULL_FACE);
  if (translucent) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
  }
  renderer_.Use(m);
  arrays.Bind();
  glEnable(GL_PROGRAM_POINT_SIZE);
  glUniform1f(renderer_.Uniform("uPointSize"), std::max(pixels, 1.0f));
  glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(filled));
  glDisable(GL_PROGRAM_POINT_SIZE);
  if (translucent) {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  }
  glEnable(GL_CULL_FACE);
}

SegmentsGL33::SegmentsGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color_to_ps.glsl", "ps_point_color.glsl", nullptr, PointLayout()) {
  GLfloat range[2] = {1, 1};
  glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, range);
  maxWidth_ = std::max(range[1], 1.0f);
}

void SegmentsGL33::Draw(size_t dataSet, bool refill, const float* xyz, const uint32_t* colors,
                        size_t segments, float width, const FrameMatrices& m) {
  if (!Ready()) return;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);
  size_t& filled = CountFor(counts_, dataSet);
  if (refill) {
    Stage(staging_, xyz, 3, colors, 2 * segments);
    arrays.Upload(0, staging_.data(), 16 * 2 * segments);
    filled = 2 * segments;
  }
  if (filled == 0) return;
  renderer_.Use(m);
  arrays.Bind();
  glLineWidth(std::clamp(width * m.lineWidth, 1.0f, maxWidth_));
  glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(filled));
  glLineWidth(1.0f);
}

}  // namespace qvgl33

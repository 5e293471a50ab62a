#include "rendering/gl33/BoxRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rendering/SceneGeometry.h"

namespace qvgl33 {

namespace {
uint32_t Word(float r, float g, float b, float a) {
  auto byte = [](float v) {
    return static_cast<uint32_t>(std::lround(std::clamp(std::isfinite(v) ? v : 0.0f, 0.0f, 1.0f) * 255.0f));
  };
  return byte(r) | byte(g) << 8 | byte(b) << 16 | byte(a) << 24;
}
}  // namespace

InputLayout BoxRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"COLOR", kUnorm4, 0, 12}};
}

BoxRendererGL33::BoxRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_point_color_to_ps.glsl", "ps_point_color.glsl", nullptr, Layout()) {
  GLfloat range[2] = {1, 1};
  glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, range);
  maxWidth_ = std::max(range[1], 1.0f);
}

void BoxRendererGL33::Lines(unsigned mode, size_t count, float width, const FrameMatrices& m) {
  renderer_.Shared().Upload(0, staging_.data(), 16 * count);
  renderer_.Use(m);
  renderer_.Shared().Bind();
  glLineWidth(std::clamp(width, 1.0f, maxWidth_));
  glDrawArrays(mode, 0, static_cast<GLsizei>(count));
  glLineWidth(1.0f);
}

void BoxRendererGL33::Draw(const qv::scene::BoxItem& box, const FrameMatrices& m) {
  if (!Ready()) return;
  const auto corner = qv::geo::BoxCorners(box.a, box.b, box.c, box.origin);
  const uint32_t c = Word(box.color[0], box.color[1], box.color[2], box.color[3]);
  staging_.resize(4 * 24);
  size_t v = 0;
  for (const auto& edge : qv::geo::kBoxEdges) {
    for (int end : edge) {
      std::memcpy(&staging_[4 * v], corner[end].data(), 3 * sizeof(float));
      staging_[4 * v + 3] = c;
      ++v;
    }
  }
  Lines(GL_LINES, v, 2.0f * m.lineWidth, m);
}

void BoxRendererGL33::Draw(const qv::scene::PolylineItem& line, const FrameMatrices& m) {
  if (!Ready() || line.points.size() < 6) return;
  const size_t n = line.points.size() / 3;
  const uint32_t c = Word(line.color[0], line.color[1], line.color[2], 1.0f);
  staging_.resize(4 * n);
  for (size_t k = 0; k < n; ++k) {
    std::memcpy(&staging_[4 * k], &line.points[3 * k], 3 * sizeof(float));
    staging_[4 * k + 3] = c;
  }
  Lines(GL_LINE_STRIP, n, std::max(line.width * m.lineWidth, 1.0f), m);
}

}  // namespace qvgl33

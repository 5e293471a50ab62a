#include "rendering/gl33/CylinderStripRendererGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qvgl33 {

InputLayout CylinderStripRendererGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"NORMAL", kFloat3, 0, 12}, {"COLOR", kUnorm4, 0, 24}};
}

CylinderStripRendererGL33::CylinderStripRendererGL33(CommonShader& cache)
    : renderer_(cache, "vs_color.glsl", "ps_color.glsl", nullptr, Layout()) {}

void CylinderStripRendererGL33::Draw(const qv::scene::PathsItem& item, size_t dataSet,
                                     const SceneSettings& settings, const FrameMatrices& m) {
  last_ = {};
  if (!Ready() || !item.points || !item.indices || !item.counts || item.pathCount <= 0) return;
  auto byte = [](float v) {
    return static_cast<uint32_t>(std::lround(std::clamp(std::isfinite(v) ? v : 0.0f, 0.0f, 1.0f) * 255));
  };
  const uint32_t color = byte(item.color[0]) | byte(item.color[1]) << 8 |
                         byte(item.color[2]) << 16 | 0xff000000u;
  const float radius = std::max(item.width, 0.0f) / 2;
  if (radius <= 0) return;
  // Paths go into batches of at most the budget (28 bytes a vertex, 4 an index).
  const size_t budget = static_cast<size_t>(std::max<int64_t>(settings.vramBytes, 1));
  struct Range {
    int64_t first, last;
    size_t firstIndex;
  };
  std::vector<Range> batches;
  {
    int64_t start = 0;
    size_t startIndex = 0, index = 0, bytes = 0;
    for (int64_t p = 0; p < item.pathCount; ++p) {
      size_t nv = 0, ni = 0;
      qv::geo::TubeBatchSize(item, p, p + 1, kSides, nv, ni);
      const size_t b = 28 * nv + 4 * ni;
      if (bytes > 0 && bytes + b > budget) {
        batches.push_back({start, p, startIndex});
        start = p, startIndex = index, bytes = 0;
      }
      bytes += b;
      index += item.counts[p];
    }
    batches.push_back({start, item.pathCount, startIndex});
  }
  if (filled_.size() <= dataSet) filled_.resize(dataSet + 1);
  Filled& from = filled_[dataSet];
  const bool single = batches.size() == 1;
  const bool reuse = single && from.valid && from.source == item.source &&
                     from.revision == item.revision && from.width == item.width &&
                     from.color == color;
  from.valid = single;
  from.source = item.source, from.revision = item.revision, from.width = item.width;
  from.color = color;
  VertexArrayGL33& arrays = renderer_.ForDataSet(dataSet, false);
  renderer_.Use(m);
  arrays.Bind();
  SetLight(renderer_);
  for (const Range& r : batches) {
    if (!reuse) {
      qv::geo::FillTubeBatch(item, r.first, r.last, r.firstIndex, kSides, radius, color, batch_);
      const size_t nv = batch_.vertexCount;
      staging_.resize(7 * nv);
      for (size_t v = 0; v < nv; ++v) {
        std::memcpy(&staging_[7 * v], &batch_.positions[3 * v], 3 * sizeof(float));
        std::memcpy(&staging_[7 * v + 3], &batch_.normals[3 * v], 3 * sizeof(float));
        staging_[7 * v + 6] = batch_.colors[v];
      }
      arrays.Upload(0, staging_.data(), 28 * nv);
      arrays.UploadIndices(batch_.indices.data(), batch_.indexCount * sizeof(uint32_t));
      from.count = batch_.indexCount;
      ++last_.uploads;
    }
    if (from.count > 0) {
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(from.count), GL_UNSIGNED_INT, nullptr);
      ++last_.drawCalls;
    }
  }
}

}  // namespace qvgl33

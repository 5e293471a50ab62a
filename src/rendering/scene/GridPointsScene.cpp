#include "rendering/scene/GridPointsScene.h"

#include <algorithm>
#include <cmath>

#include "auxdata/vmec/GridPointTypes.h"
#include "rendering/Coloring.h"

namespace qv::scene {

namespace {

float Unit(float v, const float bounds[2]) {
  const float span = bounds[1] - bounds[0];
  if (!std::isfinite(v) || span == 0 || !std::isfinite(span)) return 0;
  return std::clamp((v - bounds[0]) / span, 0.0f, 1.0f);
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

}  // namespace

void FillGridPointColors(const VMEC_Repository& repo, qv::PodVector<uint32_t>& colors) {
  const size_t n = static_cast<size_t>(repo.PointCount());
  const size_t stride = static_cast<size_t>(repo.Stride());
  const int q = repo.Quantities();
  const std::vector<float>& pts = repo.Points();
  colors.resize(pts.size() >= n * stride ? n : 0);
  const uint8_t alpha = Byte(repo.alpha);
  for (size_t i = 0; i < colors.size(); ++i) {
    const float* p = &pts[i * stride + 3];
    qv::Rgba c{0, 0, 0, alpha};
    if (q == 1) {
      // Four equal pieces: blue-cyan, cyan-green, green-yellow, yellow-red.
      const float t = Unit(p[0], repo.ramp[0]) * 4;
      const int piece = std::min(static_cast<int>(t), 3);
      const float f = t - static_cast<float>(piece);
      const float rgb[4][3] = {{0, f, 1}, {0, 1, 1 - f}, {f, 1, 0}, {1, 1 - f, 0}};
      c.r = Byte(rgb[piece][0]), c.g = Byte(rgb[piece][1]), c.b = Byte(rgb[piece][2]);
    } else {
      c.r = Byte(Unit(p[0], repo.ramp[0]));
      c.g = Byte(Unit(p[1], repo.ramp[1]));
      c.b = q >= 3 ? Byte(Unit(p[2], repo.ramp[2])) : 0;
    }
    colors[i] = static_cast<uint32_t>(qv::PackColor(c));
  }
}

void BuildGridPointsScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const VMEC_Repository* v = qv::GridPointsOf(entry);
  if (!v) return;
  const int style = ctx.display.atomStyle;
  if (style == kAtomStylePolygons || style == kAtomStylePoints) {
    GridPointsItem item;
    item.repo = v;
    item.spriteSize = v->SpriteSize();
    item.key = {v, v->Generation()};
    out.push_back({ctx.dataSet, item});
  }
  if (ctx.display.box != kBoxOff) {
    BoxItem box;
    box.a[0] = v->maximum[0] - v->minimum[0];
    box.b[1] = v->maximum[1] - v->minimum[1];
    box.c[2] = v->maximum[2] - v->minimum[2];
    std::copy(v->minimum, v->minimum + 3, box.origin);
    box.color = qv::BoxLineColor(ctx.display.background);
    out.push_back({ctx.dataSet, box});
  }
}

}  // namespace qv::scene

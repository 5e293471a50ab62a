#pragma once
// The box's twelve edges and the scene's line strips, unlit, in the picture's line width.
#include <cstdint>

#include "data/PodVector.h"
#include "rendering/gl33/BasicRendererGL33.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class BoxRendererGL33 {
 public:
  explicit BoxRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // Twice the picture's line width, as the fixed-function back end draws boxes.
  void Draw(const qv::scene::BoxItem& box, const FrameMatrices& m);
  void Draw(const qv::scene::PolylineItem& line, const FrameMatrices& m);

 private:
  void Lines(unsigned mode, size_t count, float width, const FrameMatrices& m);
  BasicRendererGL33 renderer_;
  qv::PodVector<uint32_t> staging_;  // x y z colour per vertex
  float maxWidth_ = 0;
};

}  // namespace qvgl33

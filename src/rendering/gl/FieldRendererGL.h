#pragma once
// Scalar-field cells as translucent squares at the cell centres, about one cell wide on
// screen. Depth writes are off so the translucent cells compose whatever their order.
#include <cstdint>

#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

struct FieldFrame;

class FieldRendererGL {
 public:
  void Draw(const qv::scene::FieldCellsItem& item, const SceneSettings& settings);

 private:
  void Fill(const FieldFrame& frame);

  qv::PodVector<float> positions_;  // x y z of each visible cell
  qv::PodVector<uint32_t> colors_;  // its r g b a bytes
  size_t count_ = 0;
  const FieldFrame* filledFrom_ = nullptr;
  float spacing_ = 0;  // the shortest cell edge
  float centre_[3] = {};
};

#pragma once
// Scalar-field cells as translucent squares at the cell centres, about one cell wide on
// screen. Depth writes are off so the translucent cells compose whatever their order.
#include "rendering/AuxGeometry.h"
#include "rendering/scene/ScenePlan.h"

class FieldRendererGL {
 public:
  void Draw(const qv::scene::FieldCellsItem& item, const SceneSettings& settings);

 private:
  qv::geo::FieldPoints points_;
  const FieldFrame* filledFrom_ = nullptr;
};

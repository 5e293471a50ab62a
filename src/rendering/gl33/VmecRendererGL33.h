#pragma once
// Gridded points in the shader back end: translucent sprites read from the repository's
// point array, colours refilled only when the item's key changes.
#include <vector>

#include "data/PodVector.h"
#include "rendering/gl33/SpritePointsGL33.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class VmecRendererGL33 {
 public:
  explicit VmecRendererGL33(CommonShader& cache) : points_(cache) {}
  void Draw(const qv::scene::GridPointsItem& item, size_t dataSet, const FrameMatrices& m);

 private:
  struct Slot {
    bool valid = false;
    qv::scene::GridPointsKey key;
  };
  SpritePointsGL33 points_;
  std::vector<Slot> slots_;
  qv::PodVector<uint32_t> colors_;
};

}  // namespace qvgl33

#pragma once
// Lattice occupancy in the shader back end: one opaque square per non-empty cell and
// species, each data set in its own buffer, refilled only when the item's key changes.
#include <vector>

#include "data/PodVector.h"
#include "rendering/gl33/SpritePointsGL33.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class LMCRendererGL33 {
 public:
  explicit LMCRendererGL33(CommonShader& cache) : points_(cache) {}
  void Draw(const qv::scene::LatticeItem& item, size_t dataSet, const FrameMatrices& m);

 private:
  struct Slot {
    bool valid = false;
    qv::scene::LatticeKey key;
  };
  SpritePointsGL33 points_;
  std::vector<Slot> slots_;
  qv::PodVector<float> xyz_;
  qv::PodVector<uint32_t> colors_;
};

}  // namespace qvgl33

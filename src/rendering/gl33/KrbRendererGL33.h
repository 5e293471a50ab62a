#pragma once
// Particle event records in the shader back end: the live particles through the atom
// renderers (spheres or points), their latest moves as segments; each data set keeps its
// replay and refills only when the item's key changes.
#include <memory>
#include <vector>

#include "rendering/gl33/SpritePointsGL33.h"
#include "rendering/scene/ParticleEventsScene.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class SphereRendererGL33;
class PointRendererGL33;

class KrbRendererGL33 {
 public:
  explicit KrbRendererGL33(CommonShader& cache) : segments_(cache) {}
  void Draw(const qv::scene::ParticleEventsItem& item, size_t dataSet, SphereRendererGL33& spheres,
            PointRendererGL33& points, const DisplayValues& display, const SceneSettings& settings,
            const FrameMatrices& m);

 private:
  struct Slot {
    bool valid = false;
    qv::scene::ParticleEventsKey key;
    std::unique_ptr<qv::scene::ParticleEventsArrays> arrays;
  };
  SegmentsGL33 segments_;
  std::vector<Slot> slots_;
};

}  // namespace qvgl33

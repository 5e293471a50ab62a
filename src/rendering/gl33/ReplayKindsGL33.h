#pragma once
// The shader back end's drawers of lattice occupancy (LMCRendererGL33), particle event
// records (KrbRendererGL33: spheres or points through the atom renderers, trails as
// segments) and gridded points (VmecRendererGL33). Each keeps, per data set, what its
// arrays were made from and refills only when the item's key changes.
#include <memory>
#include <vector>

#include "data/PodVector.h"
#include "rendering/gl33/SpritePointsGL33.h"
#include "rendering/scene/ParticleEventsScene.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class SphereRendererGL33;
class PointRendererGL33;

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

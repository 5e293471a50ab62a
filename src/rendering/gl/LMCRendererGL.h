#pragma once
// Lattice occupancy as opaque points, one per non-empty cell and species.
#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

class LMCRendererGL {
 public:
  void Draw(const qv::scene::LatticeItem& item);
  int Fills() const { return fills_; }

 private:
  qv::PodVector<float> xyz_;
  qv::PodVector<uint32_t> colors_;
  bool filled_ = false;
  qv::scene::LatticeKey lastKey_;
  int fills_ = 0;
};

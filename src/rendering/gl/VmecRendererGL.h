#pragma once
// Gridded points as translucent sprites read straight from the repository's point array.
#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

class VmecRendererGL {
 public:
  void Draw(const qv::scene::GridPointsItem& item);
  int Fills() const { return fills_; }

 private:
  qv::PodVector<uint32_t> colors_;
  bool filled_ = false;
  qv::scene::GridPointsKey lastKey_;
  int fills_ = 0;
};

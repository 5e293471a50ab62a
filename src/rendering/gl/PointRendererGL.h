#pragma once
// Atoms as unlit, blended points in index order (the point atom style).
#include <cstdint>

#include "rendering/SceneGeometry.h"
#include "rendering/scene/ScenePlan.h"

class PointRendererGL {
 public:
  void Draw(const qv::scene::AtomsItem& item, const DisplayValues& display,
            const SceneSettings& settings);
  void Invalidate() { filled_ = false; }

 private:
  qv::PodVector<float> positions_;
  qv::PodVector<uint32_t> batchColors_;
  size_t count_ = 0;
  // What the filled arrays were made from; the same record can hold another frame later.
  bool filled_ = false;
  qv::scene::AtomsKey lastKey_;
  int lastPoly_ = -1;
};

#pragma once
// Atoms as unlit, blended points in index order (the point atom style).
#include <cstdint>
#include <vector>

#include "data/AtomsData.h"
#include "data/ElementTable.h"
#include "rendering/gl/SceneGeometry.h"
#include "shell/settings/DisplayOptions.h"

class PointRendererGL {
 public:
  void Draw(const ATOMS_DATA& frame, const BOND_INFO* bonds, const DisplayValues& display,
            const SceneSettings& settings);
  void Invalidate() { lastFrame_ = nullptr; }

 private:
  std::vector<qv::Rgba> scratch_;
  qv::PodVector<uint32_t> colors_;
  qv::PodVector<float> positions_;
  qv::PodVector<uint32_t> batchColors_;
  size_t count_ = 0;
  // What the filled arrays were made from; the same record can hold another frame later.
  const ATOMS_DATA* lastFrame_ = nullptr;
  int32_t lastIndex_ = -1;
  const float* lastPositions_ = nullptr;
  int32_t lastBondCount_ = -1;
  int32_t lastAtomCount_ = -1;
  int lastColorMode_ = -1, lastPoly_ = -1;
};

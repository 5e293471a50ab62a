#pragma once
// Draw items of scattering trajectories.
#include <array>
#include <cstdint>

namespace qv::scene {

// Connected strips through the visible points of each path: strip p runs through the
// `counts[p]` points that the next entries of `indices` name in `points` (x y z per point).
// The arrays belong to the data set; `revision` changes whenever their contents do.
struct PathsItem {
  const float* points = nullptr;
  const uint32_t* indices = nullptr;
  const uint32_t* counts = nullptr;
  int64_t pathCount = 0;
  int64_t pointCount = 0;
  std::array<float, 3> color = {1, 1, 1};
  float width = 1;  // in units of the picture's line width
  const void* source = nullptr;
  uint64_t revision = 0;
};

}  // namespace qv::scene

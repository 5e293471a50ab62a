#pragma once
// Draw items of gridded point data: every point as a sprite coloured by its quantities.
#include <cstdint>

class VMEC_Repository;

namespace qv::scene {

struct GridPointsKey {
  const VMEC_Repository* repo = nullptr;
  uint32_t generation = 0;
  bool operator==(const GridPointsKey&) const = default;
};

// Positions are read from the repository's point array (stride 3 + quantities); the drawer
// fills the colours (FillGridPointColors) while the key is equal.
struct GridPointsItem {
  const VMEC_Repository* repo = nullptr;
  float spriteSize = 0;  // world units
  GridPointsKey key;
};

}  // namespace qv::scene

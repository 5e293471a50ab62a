#pragma once
// Draw items of lattice event data: one point per non-empty cell and species.
#include <cstdint>
#include <vector>

#include "data/ElementTable.h"

class LMC_Holder;

namespace qv::scene {

struct LatticeKey {
  const LMC_Holder* holder = nullptr;
  int appliedSteps = -1;
  const qv::ColorTables* tables = nullptr;
  uint32_t tablesRevision = 0;
  bool operator==(const LatticeKey&) const = default;
};

// The drawer derives the points from the holder's occupancy (FillLatticePoints) and keeps
// them while the key is equal.
struct LatticeItem {
  const LMC_Holder* holder = nullptr;
  std::vector<uint32_t> speciesColors;  // one colour word per species
  float pointSize = 1;                  // world units
  LatticeKey key;
};

}  // namespace qv::scene

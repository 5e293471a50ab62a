#pragma once
// Draw items of particle event records: the live particles as spheres (or points) and
// their latest moves as segments, replayed by the drawer from the visible records.
#include <cstddef>
#include <cstdint>

#include "data/ElementTable.h"

class KRB_Reader;

namespace qv::scene {

struct ParticleEventsKey {
  const KRB_Reader* reader = nullptr;
  size_t visible = 0;
  int64_t trail = 0;
  const qv::ColorTables* tables = nullptr;
  uint32_t tablesRevision = 0;
  bool operator==(const ParticleEventsKey&) const = default;
};

struct ParticleEventsItem {
  const KRB_Reader* reader = nullptr;
  const qv::ColorTables* tables = nullptr;
  int64_t trail = 0;      // moves among the last `trail` visible records; <= 0 all
  int style = 0;          // kAtomStylePolygons or kAtomStylePoints
  float lineWidth = 1;    // segments, in units of the picture's line width
  ParticleEventsKey key;
};

}  // namespace qv::scene

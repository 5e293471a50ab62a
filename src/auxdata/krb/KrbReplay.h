#pragma once
// The visible records of a particle event file replayed into the particles alive at the
// current frame and the trails of their latest moves. The tables are kept between
// replays, so replaying again (another frame, another trail length) allocates nothing once
// they have grown to the file's needs.
#include <cstdint>
#include <vector>

#include "auxdata/krb/IdMap.h"
#include "auxdata/krb/KRB_Reader.h"

struct KrbParticle {
  float x = 0, y = 0, z = 0;
  int32_t species = -1;
};

struct KrbSegment {
  float from[3], to[3];
  int32_t species;
};

class KrbReplay {
 public:
  // Moves among the last `trail` visible records become segments (every move when
  // trail <= 0), except moves that cross the periodic boundary: a displacement of half the
  // box's diagonal entry or more along any axis.
  void Run(const KRB_Reader& reader, int64_t trail);

  const qv::IdMap<KrbParticle>& Live() const { return live_; }
  const std::vector<KrbSegment>& Segments() const { return segments_; }
  // The live particles in id order (for listings; drawing uses Live()).
  std::vector<std::pair<int64_t, KrbParticle>> SortedLive() const;

 private:
  qv::IdMap<KrbParticle> live_;
  std::vector<KrbSegment> segments_;
};

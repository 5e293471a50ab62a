#pragma once
// The scene of particle event records, and the arrays both back ends draw from its item.
#include <vector>

#include "auxdata/krb/KrbReplay.h"
#include "data/AtomsData.h"
#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

namespace qv::scene {

// The live particles (unless the atom style hides atoms), their trails, and the box.
void BuildParticleEventsScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);

// What a drawer keeps for one item: the replay's tables and the arrays made from them.
struct ParticleEventsArrays {
  KrbReplay replay;
  ATOMS_DATA particles;             // positions and species (as atomic numbers) of the live
  qv::PodVector<uint32_t> colors;   // per particle; alpha 0 (the table's choice) hides
  qv::PodVector<float> segments;    // x y z x y z per segment
  qv::PodVector<uint32_t> segmentColors;  // per segment end
  uint32_t fills = 0;               // raised by every fill
};

// Replays the item's visible records and fills the arrays; every visible record is walked,
// and nothing is allocated once the arrays have grown to the file's needs.
void FillParticleEvents(const ParticleEventsItem& item, ParticleEventsArrays& arrays);

// The spheres of the filled arrays as an atoms item (no bonds) for the atom renderers.
AtomsItem ParticleEventsAtoms(const ParticleEventsItem& item, const ParticleEventsArrays& arrays);

}  // namespace qv::scene

#pragma once
// The scene of lattice event data, and the point arrays both back ends draw from its item.
#include <vector>

#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

class LMC_Holder;

namespace qv::scene {

// One point per non-empty (cell, species) of the current occupancy, the box unless hidden.
void BuildLatticeScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);

// A species named by an element symbol takes that element's colour; the others get hues
// spread around the colour wheel, so neighbours in the header look apart.
std::vector<uint32_t> LatticeSpeciesColors(const std::vector<std::string>& species,
                                           const qv::ColorTables& tables);

// Positions (x y z) and colours of the item's points. Species s of cell (x, y, z) sits at
// fractions ((x + t) / nx, (y + t) / ny, (z + t) / nz) of the box, t = (s + 1) / (S + 1),
// so the species of one cell lie apart along its diagonal.
void FillLatticePoints(const LatticeItem& item, qv::PodVector<float>& xyz,
                       qv::PodVector<uint32_t>& colors);

}  // namespace qv::scene

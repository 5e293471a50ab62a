#pragma once
// The scene of gridded point data, and the colours both back ends draw its sprites with.
#include <vector>

#include "data/PodVector.h"
#include "rendering/scene/ScenePlan.h"

class VMEC_Repository;

namespace qv::scene {

// Every point as a sprite, the coordinate bounds as the box unless hidden.
void BuildGridPointsScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);

// One colour word per point, with the repository's alpha. One quantity runs through the ramp
// blue, cyan, green, yellow, red between its bounds; with two or three, each quantity
// between its bounds drives one of red, green and blue. Values outside the bounds clamp;
// a value that is no number counts as the lower bound.
void FillGridPointColors(const VMEC_Repository& repo, qv::PodVector<uint32_t>& colors);

}  // namespace qv::scene

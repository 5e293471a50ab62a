#pragma once
#include <vector>

#include "rendering/scene/ScenePlan.h"

namespace qv::scene {
// Scattering trajectories: the visible part of every path as one strip each, in the
// trajectory colour and width, and the box unless it is hidden.
void BuildScatteringScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);
}  // namespace qv::scene

#pragma once
#include <vector>

#include "rendering/scene/ScenePlan.h"

namespace qv::scene {
// Scalar fields: the current frame's cells and the box unless it is hidden.
void BuildFieldScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);
}  // namespace qv::scene

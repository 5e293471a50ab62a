#pragma once
#include "rendering/scene/ScenePlan.h"

namespace qv::scene {
// The polygon model's builder: its mesh with the materials the frame reveals.
void BuildPolygonScene(const LawData& entry, SceneContext& context, std::vector<DrawItem>& out);
}  // namespace qv::scene

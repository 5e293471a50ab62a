#pragma once
// The fixed-function drawing of the plan's box and polyline items, and the projection of a
// view cell.
#include "rendering/scene/ScenePlan.h"

namespace qvgl {
// Twelve edges of the parallelepiped in the item's colour, twice as wide as the current line
// width, unlit.
void DrawBox(const qv::scene::BoxItem& box);
// A line strip through the item's points, `width` times the current line width, unlit.
void DrawPolyline(const qv::scene::PolylineItem& line);
// Loads the camera's projection for sub-rectangle (x, y, w, h) of a full image fw x fh.
void LoadProjection(int mode, int fw, int fh, int x, int y, int w, int h,
                    const SceneCamera& camera);
}  // namespace qvgl

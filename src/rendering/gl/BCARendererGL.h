#pragma once
// Scattering paths as line strips of the trajectory width, drawn straight from the data
// set's arrays (nothing is copied).
#include "rendering/scene/ScenePlan.h"

class BCARendererGL {
 public:
  void Draw(const qv::scene::PathsItem& item);
};

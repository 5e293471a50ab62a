#pragma once
// The box item of a data set's box (three edge vectors as rows and the origin corner), in
// the line colour that stands out from the background.
#include "rendering/Coloring.h"
#include "rendering/scene/ScenePlan.h"

namespace qv::scene {

inline BoxItem BoxItemOf(const double box[9], const double origin[3], const DisplayValues& display) {
  BoxItem item;
  for (int k = 0; k < 3; ++k) {
    item.a[k] = static_cast<float>(box[k]);
    item.b[k] = static_cast<float>(box[3 + k]);
    item.c[k] = static_cast<float>(box[6 + k]);
    item.origin[k] = static_cast<float>(origin[k]);
  }
  item.color = qv::BoxLineColor(display.background);
  return item;
}

}  // namespace qv::scene

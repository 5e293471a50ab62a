#pragma once
// Draw items of scalar fields.
#include <cstdint>

struct FieldFrame;

namespace qv::scene {

// The coloured cells of one field frame, each drawn translucent at its cell's centre; cells
// of opacity 0 are left out. The frame belongs to the data set and never changes once read,
// so the frame's address is the key of whatever a back end builds from it.
struct FieldCellsItem {
  const FieldFrame* frame = nullptr;
};

}  // namespace qv::scene

#pragma once
// Draw items of polygon models.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "auxdata/poly/PolyRepository.h"

namespace qv::scene {

// What a mesh item's vertex and index arrays are made from.
struct MeshKey {
  const IPolyRepository* model = nullptr;
  uint32_t revision = 0;
  bool operator==(const MeshKey&) const = default;
};

// An indexed, lit triangle mesh drawn material by material (the first `drawCount` of them),
// each textured when its texture loads and in its diffuse colour otherwise. The arrays belong
// to the model.
struct MeshItem {
  const PolyVertex* vertices = nullptr;
  size_t vertexCount = 0;
  const void* indices = nullptr;
  int indexWidth = 2;  // bytes: 2 or 4
  size_t indexCount = 0;
  std::vector<PolyMaterial> materials;
  size_t drawCount = 0;
  MeshKey key;
};

}  // namespace qv::scene

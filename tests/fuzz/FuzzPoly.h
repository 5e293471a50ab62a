#pragma once
// Shared body of the polygon model fuzz targets: parse from memory, then check what every
// drawer relies on (indices inside the vertices, materials inside the indices).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "auxdata/poly/PolyRepository.h"

namespace qvfuzz {

template <class Loader>
int FuzzModel(const uint8_t* data, size_t size) {
  Loader m;
  if (m.Parse(std::string_view(reinterpret_cast<const char*>(data), size), "/tmp/qv-fuzz/model") != 0) {
    if (m.Error().empty() || m.VertexCount() != 0) std::abort();
    return 0;
  }
  for (uint32_t i : m.IndexList()) {
    if (i >= m.VertexCount()) std::abort();
  }
  int width = 0;
  size_t count = 0;
  m.Indices(&width, &count);
  if ((width != 2 && width != 4) || count != m.IndexCount()) std::abort();
  for (const PolyMaterial& mat : m.AllMaterials()) {
    if (uint64_t{mat.firstIndex} + mat.indexCount > m.IndexCount()) std::abort();
  }
  double box[9], origin[3];
  m.SwapAxes();
  m.Bounds(box, origin);
  size_t drawn = 0;
  for (int f : {0, 1, 1 << 30, -5}) {
    m.SetFrame(f);
    m.Materials(&drawn);
    if (drawn > m.MaterialCount()) std::abort();
  }
  return 0;
}

}  // namespace qvfuzz

#pragma once
#include <string>
#include <string_view>

#include "auxdata/poly/PolyRepository.h"

// Binary character models of the extended layout: the header declares the text encoding and
// the widths of the index fields; vertices, indices, the texture list and the materials are
// read, everything after them is not used.
class PMXLoader : public qv::poly::PolyMesh {
 public:
  // 0 on success; -1 the file cannot be read, -2 it is not a sound model (Error() says why).
  int Load(const std::string& path);
  int Parse(std::string_view bytes, const std::string& path);
};

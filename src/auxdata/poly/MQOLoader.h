#pragma once
#include <string>
#include <string_view>

#include "auxdata/poly/PolyRepository.h"

// The text model format of blocks: "Material" n { one line each }, "Object" name { "vertex" n
// { x y z }, "face" n { ... } }. A file vertex (x, y, z) is stored at (-z, -x, y); triangles
// get flat normals, and a vertex that two triangles need with different normals or texture
// coordinates is copied. Quads and larger faces are not drawn.
class MQOLoader : public qv::poly::PolyMesh {
 public:
  // 0 on success; -1 the file cannot be read, -2 it is not a sound model (Error() says why).
  int Load(const std::string& path);
  int Parse(std::string_view text, const std::string& path);
};

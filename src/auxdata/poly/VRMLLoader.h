#pragma once
#include <string>
#include <string_view>

#include "auxdata/poly/PolyRepository.h"

// Text scene files of the second generation ("#VRML V2.0 utf8"): grouping nodes (Group,
// Transform, Anchor, Inline) with their transforms, shapes whose indexed face sets become one
// material each in the shape's diffuse colour. Faces are triangulated as fans; without
// normals each face is lit flat. Parsed without recursion, so nesting depth costs heap only.
class VRMLLoader : public qv::poly::PolyMesh {
 public:
  // 0 on success; -1 the file cannot be read, -2 it is not a sound model (Error() says why).
  int Load(const std::string& path);
  int Parse(std::string_view text, const std::string& path);
};

#pragma once
#include <string>
#include <string_view>

#include "auxdata/poly/PolyRepository.h"

// Binary character models, little-endian: header, vertices, 16-bit face indices (32-bit above
// 65,536 vertices), materials; the bone and later sections are not used.
class PMDLoader : public qv::poly::PolyMesh {
 public:
  // 0 on success; -1 the file cannot be read, -2 it is not a sound model (Error() says why).
  int Load(const std::string& path);
  int Parse(std::string_view bytes, const std::string& path);

  // A stored texture name split at '*' into texture and sphere map; a name that is a sphere
  // map alone (".sph", ".spa") gives no texture.
  static void SplitTextureName(const std::string& name, std::string& texture, std::string& sphere);
  const std::vector<std::string>& SphereMaps() const { return sphereMaps_; }

 private:
  std::vector<std::string> sphereMaps_;  // per material, resolved like textures; may be empty
};

#pragma once
// Scattering paths as lit tubes through their visible points, in the trajectory colour, the
// trajectory width being the tube's diameter. Refilled only when the path set changes (or
// when the tubes need more than one batch of the budget).
#include <cstdint>
#include <vector>

#include "data/PodVector.h"
#include "rendering/AuxGeometry.h"
#include "rendering/gl33/SphereRendererGL33.h"

namespace qvgl33 {

class CylinderStripRendererGL33 {
 public:
  static constexpr int kSides = 6;

  explicit CylinderStripRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  void Draw(const qv::scene::PathsItem& item, size_t dataSet, const SceneSettings& settings,
            const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }

 private:
  struct Filled {
    bool valid = false;
    const void* source = nullptr;
    uint64_t revision = 0;
    float width = 0;
    uint32_t color = 0;
    size_t count = 0;
  };
  BasicRendererGL33 renderer_;
  qv::geo::BatchArrays batch_;
  qv::PodVector<uint32_t> staging_;  // x y z nx ny nz colour per vertex
  std::vector<Filled> filled_;
  DrawStats last_;
};

}  // namespace qvgl33

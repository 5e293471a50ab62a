#pragma once
// Scalar-field cells as translucent sprites at the cell centres, about one cell wide on
// screen, depth writes off so the translucent cells compose whatever their order.
#include <vector>

#include "data/PodVector.h"
#include "rendering/AuxGeometry.h"
#include "rendering/gl33/SphereRendererGL33.h"

namespace qvgl33 {

class FieldRendererGL33 {
 public:
  explicit FieldRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  void Draw(const qv::scene::FieldCellsItem& item, size_t dataSet, const SceneSettings& settings,
            const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }

 private:
  struct Filled {
    const FieldFrame* frame = nullptr;
    bool uploaded = false;
    qv::geo::FieldPoints points;
  };
  BasicRendererGL33 renderer_;
  qv::PodVector<uint32_t> staging_;  // x y z colour per cell
  std::vector<Filled> filled_;
  DrawStats last_;
};

}  // namespace qvgl33

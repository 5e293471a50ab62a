#pragma once
// Points expanded into screen-facing squares by the geometry shader. PointRendererGL33 draws
// the atoms of the point style with their colour words, as the fixed-function back end draws
// its 2-pixel points (no depth test, alpha blended), refilling its buffer only when the
// item's key changes; PointSpriteGL33 draws points with float colours of any size.
#include <cstdint>

#include "data/PodVector.h"
#include "rendering/gl33/SphereRendererGL33.h"

namespace qvgl33 {

class PointRendererGL33 {
 public:
  explicit PointRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // dataSet: the item's position in the data set list; each keeps its own points.
  void Draw(const qv::scene::AtomsItem& item, size_t dataSet, const SceneSettings& settings,
            const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }

 private:
  BasicRendererGL33 renderer_;
  qv::PodVector<uint32_t> staging_;  // x y z colour per point
  std::vector<FilledFrom> filled_;
  DrawStats last_;
};

class PointSpriteGL33 {
 public:
  explicit PointSpriteGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // x y z r g b a per point; squares of `pixels` pixels, depth tested.
  void Draw(const float* points, size_t count, float pixels, const FrameMatrices& m);

 private:
  BasicRendererGL33 renderer_;
};

}  // namespace qvgl33

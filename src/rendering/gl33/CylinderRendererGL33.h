#pragma once
// Bonds as cylinders expanded on the CPU with each half in the colour of its atom (the same
// geometry as the fixed-function back end), refilled only when the item's key, the mesh or
// the budget changes; and vertical cylinders instanced at positions and coloured by height
// through the ramp's table (CylinderColorTableRendererGL33).
#include <cstdint>

#include "data/PodVector.h"
#include "rendering/SceneGeometry.h"
#include "rendering/gl33/SphereRendererGL33.h"

namespace qvgl33 {

class CylinderRendererGL33 {
 public:
  explicit CylinderRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // dataSet: the item's position in the data set list; each keeps its own cylinders.
  void Draw(const qv::scene::AtomsItem& item, size_t dataSet, const DisplayValues& display,
            const SceneSettings& settings, const FrameMatrices& m);
  const DrawStats& Last() const { return last_; }
  // Buffers filled since the renderer was made.
  int UploadsSoFar() const { return uploadsSoFar_; }

 private:
  BasicRendererGL33 renderer_;
  qv::geo::Mesh cylinder_;
  int level_ = -1;
  double radius_ = -1;
  int builds_ = 0;
  qv::geo::BatchArrays batch_;
  qv::PodVector<uint32_t> staging_;  // x y z nx ny nz colour per vertex
  std::vector<FilledFrom> filled_;
  DrawStats last_;
  int uploadsSoFar_ = 0;
};

class CylinderColorTableRendererGL33 {
 public:
  explicit CylinderColorTableRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  // Unit-length cylinders of `sides` sides and the radius, along +z from each position (x y z
  // per position), coloured by the height of their base.
  void Draw(const float* positions, size_t count, int sides, float radius,
            const qv::HeightRamp& ramp, const FrameMatrices& m);

 private:
  BasicRendererGL33 renderer_;
  MeshBuffer mesh_;
  qv::PodVector<float> staging_;
};

}  // namespace qvgl33

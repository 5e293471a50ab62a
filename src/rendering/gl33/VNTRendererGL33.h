#pragma once
// Polygon models on the shader back end: the model's vertices and indices copied into
// buffers of the data set's own vertex array (refilled only when the model changes), drawn
// material by material with its texture or its colour.
#include <vector>

#include "rendering/gl/TextureManagerGL.h"
#include "rendering/gl33/BasicRendererGL33.h"
#include "rendering/scene/ScenePlan.h"

namespace qvgl33 {

class VNTRendererGL33 {
 public:
  explicit VNTRendererGL33(CommonShader& cache);
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }
  void Draw(const qv::scene::MeshItem& item, size_t dataSet, const FrameMatrices& m);
  TextureManagerGL& Textures() { return textures_; }

 private:
  BasicRendererGL33 renderer_;
  TextureManagerGL textures_;
  std::vector<qv::scene::MeshKey> filled_;  // per data set
  int diffuse_ = -1, textured_ = -1, texture_ = -1, light_ = -1;
};

}  // namespace qvgl33

#pragma once
// Polygon models on the fixed-function pipeline: vertices with normal and texture coordinate
// drawn from the model's own arrays, lit from both sides, material by material.
#include "rendering/gl/TextureManagerGL.h"
#include "rendering/scene/ScenePlan.h"

class VNTRendererGL {
 public:
  void Draw(const qv::scene::MeshItem& item);
  TextureManagerGL& Textures() { return textures_; }

 private:
  TextureManagerGL textures_;
};

#pragma once
// The depth-of-field filter: the scene is drawn into the filter's own colour and depth
// textures, then a full-screen pass writes it into the render target, blurring each pixel by
// how far its depth lies from the focal distance (the camera target's).
#include "rendering/gl33/BasicRendererGL33.h"

namespace qvgl33 {

class DepthOfFieldFilterGL33 {
 public:
  explicit DepthOfFieldFilterGL33(CommonShader& cache);
  ~DepthOfFieldFilterGL33();  // needs the context current
  DepthOfFieldFilterGL33(const DepthOfFieldFilterGL33&) = delete;
  DepthOfFieldFilterGL33& operator=(const DepthOfFieldFilterGL33&) = delete;
  static InputLayout Layout();
  bool Ready() const { return renderer_.Ready(); }

  // Binds the filter's framebuffer of the size (made or remade as needed); false when it
  // cannot be made (the caller then draws unfiltered).
  bool Begin(int width, int height, bool halfFloat);
  // Draws the filtered picture into `target` (bound afterwards), whose viewport is the whole
  // width x height. near/far: the projection's planes; perspective: whether depth is
  // hyperbolic.
  void End(unsigned target, float focus, float zNear, float zFar, bool perspective);

 private:
  void Free();
  BasicRendererGL33 renderer_;
  unsigned framebuffer_ = 0, color_ = 0, depth_ = 0;
  int width_ = 0, height_ = 0;
  bool halfFloat_ = false;
};

}  // namespace qvgl33

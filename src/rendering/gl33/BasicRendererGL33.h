#pragma once
// What every renderer of the shader back end holds: its program linked from the cache's
// shaders, the vertex array of its input layout and the buffers behind the layout's slots.
// A renderer whose shaders are missing is not Ready() and draws nothing.
#include <cstddef>

#include "rendering/gl33/CommonShader.h"

namespace qvgl33 {

// What a renderer needs of the view cell it draws in.
struct FrameMatrices {
  float view[16] = {};        // eye space looking down -z, column-major
  float projection[16] = {};  // column-major
  float lineWidth = 1;  // the picture's line width (a magnified bitmap's magnification)
};

class BasicRendererGL33 {
 public:
  // gs may be null. The attributes of the layout get locations 0, 1, ... in its order.
  BasicRendererGL33(CommonShader& cache, const char* vs, const char* ps, const char* gs,
                    InputLayout layout);
  ~BasicRendererGL33();  // needs the context current
  BasicRendererGL33(const BasicRendererGL33&) = delete;
  BasicRendererGL33& operator=(const BasicRendererGL33&) = delete;

  bool Ready() const { return program_ != 0; }
  // Binds the program and its vertex array and sets the view and projection.
  void Use(const FrameMatrices& m) const;
  int Uniform(const char* name) const;
  // Replaces the contents of a slot's buffer or of the index buffer.
  void Upload(int slot, const void* data, size_t bytes);
  void UploadIndices(const void* data, size_t bytes);
  const InputLayout& Layout() const { return layout_; }

 private:
  InputLayout layout_;
  unsigned program_ = 0;
  unsigned vertexArray_ = 0;
  unsigned buffers_[2] = {0, 0};
  unsigned indexBuffer_ = 0;
  int viewLocation_ = -1, projectionLocation_ = -1;
};

}  // namespace qvgl33

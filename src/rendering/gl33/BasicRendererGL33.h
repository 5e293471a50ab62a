#pragma once
// What every renderer of the shader back end holds: its program linked from the cache's
// shaders and vertex arrays of its input layout with the buffers behind the layout's slots,
// one set per data set drawn (so data sets drawn in one frame keep their own contents). A
// renderer whose shaders are missing is not Ready() and draws nothing.
#include <cstddef>
#include <memory>
#include <vector>

#include "rendering/gl33/CommonShader.h"

namespace qvgl33 {

// What a renderer needs of the view cell it draws in.
struct FrameMatrices {
  float view[16] = {};        // eye space looking down -z, column-major
  float projection[16] = {};  // column-major
  float lineWidth = 1;  // the picture's line width (a magnified bitmap's magnification)
};

// A vertex array of a layout: attribute i reads element i from the buffer of its slot.
class VertexArrayGL33 {
 public:
  // Buffers given as 0 are made and owned here; others belong to someone else (a mesh
  // shared by several arrays) and must outlive this one.
  VertexArrayGL33(const InputLayout& layout, unsigned slot0, unsigned slot1, unsigned index);
  ~VertexArrayGL33();  // needs the context current
  VertexArrayGL33(const VertexArrayGL33&) = delete;
  VertexArrayGL33& operator=(const VertexArrayGL33&) = delete;

  void Bind() const;
  // Replaces the contents of a slot's buffer or of the index buffer.
  void Upload(int slot, const void* data, size_t bytes);
  void UploadIndices(const void* data, size_t bytes);
  unsigned Buffer(int slot) const { return buffers_[slot == 1 ? 1 : 0]; }
  unsigned IndexBuffer() const { return indexBuffer_; }

 private:
  unsigned vertexArray_ = 0;
  unsigned buffers_[2] = {0, 0};
  unsigned indexBuffer_ = 0;
  bool owned_[3] = {false, false, false};
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
  // Binds the program and sets the view and projection.
  void Use(const FrameMatrices& m) const;
  int Uniform(const char* name) const;
  const InputLayout& Layout() const { return layout_; }

  // The renderer's own vertex array (shared contents: a mesh).
  VertexArrayGL33& Shared() { return shared_; }
  // The vertex array of a data set, made on first use. With shareMesh its slot 0 and index
  // buffers are the shared array's (one mesh, instances per data set); otherwise it has
  // buffers of its own.
  VertexArrayGL33& ForDataSet(size_t dataSet, bool shareMesh);

 private:
  InputLayout layout_;
  unsigned program_ = 0;
  int viewLocation_ = -1, projectionLocation_ = -1;
  VertexArrayGL33 shared_;
  std::vector<std::unique_ptr<VertexArrayGL33>> perDataSet_;
};

}  // namespace qvgl33

#include "rendering/gl33/BasicRendererGL33.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <cstdio>

namespace qvgl33 {

VertexArrayGL33::VertexArrayGL33(const InputLayout& layout, unsigned slot0, unsigned slot1,
                                 unsigned index) {
  const unsigned given[3] = {slot0, slot1, index};
  unsigned* ids[3] = {&buffers_[0], &buffers_[1], &indexBuffer_};
  for (int k = 0; k < 3; ++k) {
    *ids[k] = given[k];
    if (given[k] == 0) {
      glGenBuffers(1, ids[k]);
      owned_[k] = true;
    }
  }
  glGenVertexArrays(1, &vertexArray_);
  glBindVertexArray(vertexArray_);
  for (size_t i = 0; i < layout.size(); ++i) {
    const InputElement& e = layout[i];
    const int slot = e.slot == 1 ? 1 : 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[slot]);
    const GLuint location = static_cast<GLuint>(i);
    glEnableVertexAttribArray(location);
    const GLsizei stride = SlotStride(layout, e.slot);
    const void* offset = reinterpret_cast<const void*>(static_cast<uintptr_t>(e.offset));
    switch (e.format) {
      case kUnorm4: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
      case kFloat4: glVertexAttribPointer(location, 4, GL_FLOAT, GL_FALSE, stride, offset); break;
      case kFloat2: glVertexAttribPointer(location, 2, GL_FLOAT, GL_FALSE, stride, offset); break;
      default: glVertexAttribPointer(location, 3, GL_FLOAT, GL_FALSE, stride, offset); break;
    }
    glVertexAttribDivisor(location, slot == 1 ? 1 : 0);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

VertexArrayGL33::~VertexArrayGL33() {
  glDeleteVertexArrays(1, &vertexArray_);
  unsigned* ids[3] = {&buffers_[0], &buffers_[1], &indexBuffer_};
  for (int k = 0; k < 3; ++k)
    if (owned_[k]) glDeleteBuffers(1, ids[k]);
}

void VertexArrayGL33::Bind() const { glBindVertexArray(vertexArray_); }

void VertexArrayGL33::Upload(int slot, const void* data, size_t bytes) {
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[slot == 1 ? 1 : 0]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void VertexArrayGL33::UploadIndices(const void* data, size_t bytes) {
  // The element buffer binding belongs to a vertex array; a draw may be under way with
  // another one bound.
  GLint bound = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
  glBindVertexArray(static_cast<GLuint>(bound));
}

BasicRendererGL33::BasicRendererGL33(CommonShader& cache, const char* vs, const char* ps,
                                     const char* gs, InputLayout layout)
    : layout_(std::move(layout)), shared_(layout_, 0, 0, 0) {
  const CommonShader::Entry* v = cache.Get(vs, "main", "vs_4_0", layout_);
  const CommonShader::Entry* p = cache.Get(ps, "main", "ps_4_0");
  const CommonShader::Entry* g = gs ? cache.Get(gs, "main", "gs_4_0") : nullptr;
  if (!v || !p || (gs && !g)) return;

  const GLuint program = glCreateProgram();
  glAttachShader(program, v->shader);
  if (g) glAttachShader(program, g->shader);
  glAttachShader(program, p->shader);
  for (size_t i = 0; i < layout_.size(); ++i)
    glBindAttribLocation(program, static_cast<GLuint>(i), layout_[i].semantic.c_str());
  glBindFragDataLocation(program, 0, "fragColor");
  glLinkProgram(program);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  glDetachShader(program, v->shader);
  if (g) glDetachShader(program, g->shader);
  glDetachShader(program, p->shader);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log - 1, nullptr, log);
    std::fprintf(stderr, "shaders %s + %s do not link: %s\n", vs, ps, log);
    glDeleteProgram(program);
    return;
  }
  program_ = program;
  viewLocation_ = glGetUniformLocation(program_, "uView");
  projectionLocation_ = glGetUniformLocation(program_, "uProjection");
}

BasicRendererGL33::~BasicRendererGL33() {
  // The arrays sharing the mesh go before the mesh's own array.
  perDataSet_.clear();
  if (program_) glDeleteProgram(program_);
}

VertexArrayGL33& BasicRendererGL33::ForDataSet(size_t dataSet, bool shareMesh) {
  if (perDataSet_.size() <= dataSet) perDataSet_.resize(dataSet + 1);
  auto& a = perDataSet_[dataSet];
  if (!a) {
    a = shareMesh ? std::make_unique<VertexArrayGL33>(layout_, shared_.Buffer(0), 0,
                                                      shared_.IndexBuffer())
                  : std::make_unique<VertexArrayGL33>(layout_, 0, 0, 0);
  }
  return *a;
}

void BasicRendererGL33::Use(const FrameMatrices& m) const {
  glUseProgram(program_);
  if (viewLocation_ >= 0) glUniformMatrix4fv(viewLocation_, 1, GL_FALSE, m.view);
  if (projectionLocation_ >= 0) glUniformMatrix4fv(projectionLocation_, 1, GL_FALSE, m.projection);
}

int BasicRendererGL33::Uniform(const char* name) const {
  return program_ ? glGetUniformLocation(program_, name) : -1;
}

}  // namespace qvgl33

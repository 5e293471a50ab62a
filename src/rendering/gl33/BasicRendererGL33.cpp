#include "rendering/gl33/BasicRendererGL33.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <cstdio>

namespace qvgl33 {

BasicRendererGL33::BasicRendererGL33(CommonShader& cache, const char* vs, const char* ps,
                                     const char* gs, InputLayout layout)
    : layout_(std::move(layout)) {
  const CommonShader::Entry* v = cache.Get(vs, "main", "vs_4_0", layout_);
  const CommonShader::Entry* p = cache.Get(ps, "main", "ps_4_0");
  const CommonShader::Entry* g = gs ? cache.Get(gs, "main", "gs_4_0") : nullptr;
  glGenVertexArrays(1, &vertexArray_);
  glGenBuffers(2, buffers_);
  glGenBuffers(1, &indexBuffer_);
  glBindVertexArray(vertexArray_);
  for (size_t i = 0; i < layout_.size(); ++i) {
    const InputElement& e = layout_[i];
    const int slot = e.slot == 1 ? 1 : 0;
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[slot]);
    const GLuint location = static_cast<GLuint>(i);
    glEnableVertexAttribArray(location);
    const GLsizei stride = SlotStride(layout_, e.slot);
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
  if (program_) glDeleteProgram(program_);
  glDeleteBuffers(2, buffers_);
  glDeleteBuffers(1, &indexBuffer_);
  glDeleteVertexArrays(1, &vertexArray_);
}

void BasicRendererGL33::Use(const FrameMatrices& m) const {
  glUseProgram(program_);
  glBindVertexArray(vertexArray_);
  if (viewLocation_ >= 0) glUniformMatrix4fv(viewLocation_, 1, GL_FALSE, m.view);
  if (projectionLocation_ >= 0) glUniformMatrix4fv(projectionLocation_, 1, GL_FALSE, m.projection);
}

int BasicRendererGL33::Uniform(const char* name) const {
  return program_ ? glGetUniformLocation(program_, name) : -1;
}

void BasicRendererGL33::Upload(int slot, const void* data, size_t bytes) {
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[slot == 1 ? 1 : 0]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void BasicRendererGL33::UploadIndices(const void* data, size_t bytes) {
  // The element buffer binding belongs to the vertex array; a draw may be under way with it.
  GLint bound = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
  glBindVertexArray(vertexArray_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
  glBindVertexArray(static_cast<GLuint>(bound));
}

}  // namespace qvgl33

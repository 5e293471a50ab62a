#include "rendering/gl33/OverlayRendererGL33.h"

#include <epoxy/gl.h>

#include <cstdio>

namespace {

// The quad is the unit square; the vertex shader places it at the item's rectangle in
// pixels (y from the top) and maps those to clip space.
const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 unit;
uniform vec4 rect;  // left, top, right, bottom in pixels
uniform vec2 size;  // the framebuffer in pixels
out vec2 uv;
void main() {
  vec2 p = mix(rect.xy, rect.zw, unit);
  gl_Position = vec4(2.0 * p.x / size.x - 1.0, 1.0 - 2.0 * p.y / size.y, 0.0, 1.0);
  uv = unit;
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec2 uv;
uniform vec4 color;
uniform int textured;
uniform sampler2D image;
out vec4 fragment;
void main() {
  fragment = textured != 0 ? texture(image, uv) * color : color;
}
)";

GLuint Compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "error: overlay shader: %s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// The state Draw changes, put back as it was.
struct SavedState {
  SavedState() {
    blend = glIsEnabled(GL_BLEND);
    depth = glIsEnabled(GL_DEPTH_TEST);
    cull = glIsEnabled(GL_CULL_FACE);
    glGetIntegerv(GL_BLEND_SRC_RGB, &srcRgb);
    glGetIntegerv(GL_BLEND_DST_RGB, &dstRgb);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &srcAlpha);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &dstAlpha);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    glActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  }
  ~SavedState() {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glActiveTexture(static_cast<GLenum>(unit));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
    glBindVertexArray(static_cast<GLuint>(vao));
    glUseProgram(static_cast<GLuint>(program));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glBlendFuncSeparate(srcRgb, dstRgb, srcAlpha, dstAlpha);
    blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    depth ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
  }
  GLboolean blend, depth, cull;
  GLint srcRgb = 0, dstRgb = 0, srcAlpha = 0, dstAlpha = 0;
  GLint viewport[4] = {};
  GLint program = 0, vao = 0, buffer = 0, unit = 0, texture = 0;
};

}  // namespace

bool OverlayRendererGL33::Ready() {
  if (tried_) return program_ != 0;
  tried_ = true;
  const GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
  if (!vs || !fs) {
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return false;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    std::fprintf(stderr, "error: the overlay shaders do not link\n");
    glDeleteProgram(program);
    return false;
  }
  program_ = program;
  rectAt_ = glGetUniformLocation(program, "rect");
  sizeAt_ = glGetUniformLocation(program, "size");
  colorAt_ = glGetUniformLocation(program, "color");
  texturedAt_ = glGetUniformLocation(program, "textured");
  imageAt_ = glGetUniformLocation(program, "image");

  const GLfloat unit[8] = {0, 0, 0, 1, 1, 0, 1, 1};  // a triangle strip
  GLint oldVao = 0, oldBuffer = 0;
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &oldVao);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &oldBuffer);
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glGenBuffers(1, &vbo);
  glBindVertexArray(vao);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, sizeof unit, unit, GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 2 * sizeof(GLfloat), nullptr);
  glBindVertexArray(static_cast<GLuint>(oldVao));
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(oldBuffer));
  vao_ = vao;
  vbo_ = vbo;
  return true;
}

unsigned OverlayRendererGL33::Texture(const qv::scene::OverlayImage& image) {
  // An image made where an earlier one was freed must not reuse its texture.
  Uploaded& slot = textures_[&image];
  if (slot.id && slot.pixels == image.rgba.data()) return slot.id;
  GLuint id = slot.id;
  if (!id) glGenTextures(1, &id);
  glBindTexture(GL_TEXTURE_2D, id);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  GLint alignment = 4, rowLength = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  // Uploaded as stored, first row first: texture coordinate v = 0 is the image's top.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, image.rgba.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
  slot = {id, image.rgba.data()};
  return id;
}

void OverlayRendererGL33::Draw(const std::vector<qv::scene::OverlayItem>& items, int width,
                               int height) {
  if (items.empty() || width <= 0 || height <= 0) return;
  const SavedState saved;
  if (!Ready()) return;
  glViewport(0, 0, width, height);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glUseProgram(program_);
  glBindVertexArray(vao_);
  glUniform2f(sizeAt_, static_cast<float>(width), static_cast<float>(height));
  glUniform1i(imageAt_, 0);
  for (const qv::scene::OverlayItem& item : items) {
    const qv::scene::OverlayImage* image = item.bitmap;
    const bool textured = image && image->width > 0 && image->height > 0 &&
                          image->rgba.size() >= 4u * image->width * image->height;
    if (image && !textured) continue;  // an image that cannot be shown is skipped
    if (textured) glBindTexture(GL_TEXTURE_2D, Texture(*image));
    glUniform1i(texturedAt_, textured ? 1 : 0);
    glUniform4f(rectAt_, item.left, item.top, item.right, item.bottom);
    glUniform4f(colorAt_, item.color[0], item.color[1], item.color[2], item.color[3]);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  }
}

void OverlayRendererGL33::Release() {
  for (const auto& [image, slot] : textures_) {
    const GLuint name = slot.id;
    glDeleteTextures(1, &name);
  }
  textures_.clear();
  if (vbo_) glDeleteBuffers(1, &vbo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (program_) glDeleteProgram(program_);
  vbo_ = vao_ = program_ = 0;
  tried_ = false;
}

void OverlayRendererGL33::Forget() {
  textures_.clear();
  vbo_ = vao_ = program_ = 0;
  tried_ = false;
}

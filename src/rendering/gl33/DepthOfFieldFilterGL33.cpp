#include "rendering/gl33/DepthOfFieldFilterGL33.h"

#include <epoxy/gl.h>

namespace qvgl33 {

InputLayout DepthOfFieldFilterGL33::Layout() {
  return {{"POSITION", kFloat3, 0, 0}, {"TEX", kFloat2, 0, 12}};
}

DepthOfFieldFilterGL33::DepthOfFieldFilterGL33(CommonShader& cache)
    : renderer_(cache, "vs_filter_DoF.glsl", "ps_filter_DoF.glsl", nullptr, Layout()) {
  // Two triangles covering the screen, counter-clockwise.
  const float quad[] = {-1, -1, 0, 0, 0, 1, -1, 0, 1, 0, 1, 1, 0, 1, 1,
                        -1, -1, 0, 0, 0, 1, 1,  0, 1, 1, -1, 1, 0, 0, 1};
  renderer_.Shared().Upload(0, quad, sizeof quad);
}

DepthOfFieldFilterGL33::~DepthOfFieldFilterGL33() { Free(); }

void DepthOfFieldFilterGL33::Free() {
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  if (color_) glDeleteTextures(1, &color_);
  if (depth_) glDeleteTextures(1, &depth_);
  framebuffer_ = color_ = depth_ = 0;
  width_ = height_ = 0;
}

bool DepthOfFieldFilterGL33::Begin(int width, int height, bool halfFloat) {
  if (!Ready() || width <= 0 || height <= 0) return false;
  if (!framebuffer_ || width != width_ || height != height_ || halfFloat != halfFloat_) {
    Free();
    GLuint tex[2] = {0, 0};
    glGenTextures(2, tex);
    color_ = tex[0];
    depth_ = tex[1];
    glBindTexture(GL_TEXTURE_2D, color_);
    glTexImage2D(GL_TEXTURE_2D, 0, halfFloat ? GL_RGBA16F : GL_RGBA8, width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, depth_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT32F, width, height, 0, GL_DEPTH_COMPONENT,
                 GL_FLOAT, nullptr);
    for (GLuint t : tex) {
      glBindTexture(GL_TEXTURE_2D, t);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, depth_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth_, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
      Free();
      return false;
    }
    width_ = width;
    height_ = height;
    halfFloat_ = halfFloat;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  return true;
}

void DepthOfFieldFilterGL33::End(unsigned target, float focus, float zNear, float zFar,
                                 bool perspective) {
  glBindFramebuffer(GL_FRAMEBUFFER, target);
  glViewport(0, 0, width_, height_);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  FrameMatrices unused;
  renderer_.Use(unused);
  renderer_.Shared().Bind();
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, color_);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, depth_);
  glUniform1i(renderer_.Uniform("uColor"), 0);
  glUniform1i(renderer_.Uniform("uDepth"), 1);
  glUniform2f(renderer_.Uniform("uTexel"), 1.0f / width_, 1.0f / height_);
  glUniform1f(renderer_.Uniform("uFocus"), focus);
  glUniform1f(renderer_.Uniform("uNear"), zNear);
  glUniform1f(renderer_.Uniform("uFar"), zFar);
  glUniform1i(renderer_.Uniform("uPerspective"), perspective ? 1 : 0);
  glUniform1f(renderer_.Uniform("uMaxRadius"), 6.0f);
  glDrawArrays(GL_TRIANGLES, 0, 6);
  glBindTexture(GL_TEXTURE_2D, 0);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
}

}  // namespace qvgl33

#include "rendering/gl33/GraphicDeviceGL33.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace {
// The texts the shell shows when the device cannot start.
constexpr const char* kNoCoreContext =
    "OpenGL 3.3 (core profile) is not available, so the shader back end cannot start.\n"
    "Set \"DirectX11\"=0 in the [GPUDriver] section of setting.ini to draw with the "
    "fixed-function back end.";
constexpr const char* kCannotMakeCurrent = "m_pD3DDevice->QueryInterface() failed.";
constexpr const char* kNoTarget = "dxgiFactory->CreateSwapChainForHwnd() failed.";
}  // namespace

GraphicDeviceGL33::GraphicDeviceGL33(IGLSurfaceProvider* surface, bool halfFloat)
    : surface_(surface) {
  context_.halfFloat = halfFloat;
}

GraphicDeviceGL33::~GraphicDeviceGL33() {
  if (!surface_ || !context_.context) return;
  if (surface_->MakeCurrent(context_.context)) FreeTargets();
  surface_->DoneCurrent();
  surface_->DestroyContext(context_.context);
  surface_->OnDestroyed(nullptr);
  context_ = {};
}

int GraphicDeviceGL33::Initialize(int width, int height, int vsyncMode) {
  GLContextHandle context = surface_->CreateContext(nullptr, GLProfile::kCore33);
  if (!context) {
    error_ = kNoCoreContext;
    return -1;
  }
  context_.context = context;
  // A surface that goes first takes the context with it.
  surface_->OnDestroyed([this](IGLSurfaceProvider*) {
    context_ = RenderContextGL33{nullptr, 0, 0, 0, 0, 0, context_.halfFloat};
    surface_ = nullptr;
  });
  if (!surface_->MakeCurrent(context)) {
    error_ = kCannotMakeCurrent;
    return -1;
  }
  if (epoxy_gl_version() < 33 || epoxy_is_desktop_gl() == 0) {
    surface_->DoneCurrent();
    error_ = kNoCoreContext;
    return -1;
  }
  if (!MakeTargets(std::max(width, 1), std::max(height, 1))) {
    surface_->DoneCurrent();
    error_ = kNoTarget;
    return -1;
  }
  int result = 0;
  if (vsyncMode == 0) {
    surface_->SetSwapInterval(0);
  } else if (vsyncMode == 1) {
    result = surface_->SetSwapInterval(1) ? 0 : 3;
  }
  surface_->DoneCurrent();
  return result;
}

bool GraphicDeviceGL33::MakeTargets(int width, int height) {
  FreeTargets();
  GLuint ids[2] = {0, 0};
  glGenRenderbuffers(2, ids);
  glBindRenderbuffer(GL_RENDERBUFFER, ids[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, context_.halfFloat ? GL_RGBA16F : GL_RGBA8, width,
                        height);
  glBindRenderbuffer(GL_RENDERBUFFER, ids[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, ids[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, ids[1]);
  context_.framebuffer = fbo;
  context_.color = ids[0];
  context_.depth = ids[1];
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    FreeTargets();
    return false;
  }
  context_.width = width;
  context_.height = height;
  return true;
}

void GraphicDeviceGL33::FreeTargets() {
  if (context_.framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &context_.framebuffer);
  }
  if (context_.color) glDeleteRenderbuffers(1, &context_.color);
  if (context_.depth) glDeleteRenderbuffers(1, &context_.depth);
  context_.framebuffer = context_.color = context_.depth = 0;
  context_.width = context_.height = 0;
}

bool GraphicDeviceGL33::MakeCurrent() {
  if (!surface_ || !context_.context || !surface_->MakeCurrent(context_.context)) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, context_.framebuffer);
  return true;
}

void GraphicDeviceGL33::DoneCurrent() {
  if (surface_) surface_->DoneCurrent();
}

void GraphicDeviceGL33::Resize(int width, int height) {
  pendingWidth_ = std::max(width, 1);
  pendingHeight_ = std::max(height, 1);
  resizePending_ = true;
}

bool GraphicDeviceGL33::EnsureSize(int width, int height) {
  if (width == context_.width && height == context_.height && context_.framebuffer) return true;
  ++resizesApplied_;
  return MakeTargets(std::max(width, 1), std::max(height, 1));
}

void GraphicDeviceGL33::BeginFrame() {
  if (!MakeCurrent()) return;
  if (resizePending_) {
    resizePending_ = false;
    EnsureSize(pendingWidth_, pendingHeight_);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, context_.framebuffer);
}

void GraphicDeviceGL33::EndFrame() {
  if (!surface_) return;
  surface_->Swap();
  surface_->DoneCurrent();
}

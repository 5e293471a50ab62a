#include "rendering/headless/HeadlessEGLSurface.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>


namespace {

struct EglState {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLConfig config = nullptr;
  std::string error;
};

// One display for the whole process, opened on first use. Through libepoxy only the
// EXT entry point works for the platform display.
const EglState& Egl() {
  static EglState state = [] {
    EglState s;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!clientExtensions ||
        std::string(clientExtensions).find("EGL_MESA_platform_surfaceless") == std::string::npos) {
      s.error = "EGL: the surfaceless platform (EGL_MESA_platform_surfaceless) is missing";
      return s;
    }
    EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                                            nullptr);
    EGLint major = 0, minor = 0;
    if (d == EGL_NO_DISPLAY || !eglInitialize(d, &major, &minor)) {
      s.error = "EGL: cannot initialise the surfaceless display";
      return s;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
      s.error = "EGL: desktop OpenGL is not available";
      return s;
    }
    // The default surface type asks for windows, which this platform has none of.
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT, EGL_NONE};
    EGLint found = 0;
    if (!eglChooseConfig(d, attributes, &s.config, 1, &found) || found < 1) {
      s.error = "EGL: no configuration renders desktop OpenGL";
      return s;
    }
    s.display = d;
    return s;
  }();
  return state;
}

}  // namespace

HeadlessEGLSurface::HeadlessEGLSurface(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {
  targets_.reserve(4);
}

HeadlessEGLSurface::~HeadlessEGLSurface() {
  while (!targets_.empty()) DestroyContext(targets_.back().context);
}

bool HeadlessEGLSurface::Available(std::string* why) {
  const EglState& s = Egl();
  if (why) *why = s.error;
  return s.display != EGL_NO_DISPLAY;
}

GLContextHandle HeadlessEGLSurface::CreateContext(GLContextHandle shareWith, GLProfile profile) {
  const EglState& s = Egl();
  if (s.display == EGL_NO_DISPLAY) {
    std::fprintf(stderr, "%s\n", s.error.c_str());
    return nullptr;
  }
  eglBindAPI(EGL_OPENGL_API);
  const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                  EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  const EGLint core33[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                           EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                           EGL_NONE};
  const EGLint* attributes = profile == GLProfile::kCore33 ? core33 : compatibility;
  EGLContext share = shareWith ? static_cast<EGLContext>(shareWith) : EGL_NO_CONTEXT;
  EGLContext c = eglCreateContext(s.display, s.config, share, attributes);
  if (c == EGL_NO_CONTEXT) {
    std::fprintf(stderr, "EGL: cannot create an OpenGL context (0x%x)\n", eglGetError());
    return nullptr;
  }
  targets_.push_back(Target{c});
  current_ = nullptr;  // the vector may have moved
  return c;
}

void HeadlessEGLSurface::DestroyContext(GLContextHandle context) {
  const EglState& s = Egl();
  auto it = std::find_if(targets_.begin(), targets_.end(),
                         [&](const Target& t) { return t.context == context; });
  if (it == targets_.end()) return;
  if (it->fbo && eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE,
                                static_cast<EGLContext>(context))) {
    FreeTarget(*it);
  }
  eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(s.display, static_cast<EGLContext>(context));
  targets_.erase(it);
  current_ = nullptr;
}

bool HeadlessEGLSurface::MakeCurrent(GLContextHandle context) {
  const EglState& s = Egl();
  auto it = std::find_if(targets_.begin(), targets_.end(),
                         [&](const Target& t) { return t.context == context; });
  if (it == targets_.end() || s.display == EGL_NO_DISPLAY) return false;
  if (!eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE,
                      static_cast<EGLContext>(context))) {
    return false;
  }
  if (it->fbo == 0 || it->width != width_ || it->height != height_) {
    FreeTarget(*it);
    BuildTarget(*it);
  }
  current_ = &*it;
  glBindFramebuffer(GL_FRAMEBUFFER, it->fbo);
  return it->fbo != 0;
}

void HeadlessEGLSurface::DoneCurrent() {
  const EglState& s = Egl();
  if (s.display != EGL_NO_DISPLAY) {
    eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  }
  current_ = nullptr;
}

void HeadlessEGLSurface::Swap() {
  // Nothing is shown; finishing keeps a frame's cost inside the frame, as a present would.
  if (current_) glFinish();
}

void HeadlessEGLSurface::Resize(int width, int height) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
}

void HeadlessEGLSurface::BuildTarget(Target& t) {
  GLuint ids[2] = {0, 0};
  glGenRenderbuffers(2, ids);
  t.color = ids[0];
  t.depth = ids[1];
  glBindRenderbuffer(GL_RENDERBUFFER, t.color);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
  glBindRenderbuffer(GL_RENDERBUFFER, t.depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  GLuint fbo = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, t.color);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depth);
  t.fbo = fbo;
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    std::fprintf(stderr, "EGL: the off-screen framebuffer is incomplete\n");
    FreeTarget(t);
    return;
  }
  t.width = width_;
  t.height = height_;
}

void HeadlessEGLSurface::FreeTarget(Target& t) {
  if (t.fbo) glDeleteFramebuffers(1, &t.fbo);
  if (t.color) glDeleteRenderbuffers(1, &t.color);
  if (t.depth) glDeleteRenderbuffers(1, &t.depth);
  t.fbo = t.color = t.depth = 0;
  t.width = t.height = 0;
}

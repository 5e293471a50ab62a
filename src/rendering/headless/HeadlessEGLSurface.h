#pragma once
// A drawing surface without any display: Mesa's surfaceless EGL platform, a context with no
// window surface (compatibility or 3.3 core profile, as the back end asks), and a framebuffer
// object of the client size (RGBA8 colour, 24-bit depth) as the render target.
#include <string>
#include <vector>

#include "rendering/GLSurfaceProvider.h"

class HeadlessEGLSurface : public IGLSurfaceProvider {
 public:
  HeadlessEGLSurface(int width, int height);
  // Destroys the contexts it created.
  ~HeadlessEGLSurface() override;
  HeadlessEGLSurface(const HeadlessEGLSurface&) = delete;
  HeadlessEGLSurface& operator=(const HeadlessEGLSurface&) = delete;

  // Whether the surfaceless display can be opened; the reason in *why when it cannot.
  static bool Available(std::string* why = nullptr);

  GLContextHandle CreateContext(GLContextHandle shareWith, GLProfile profile) override;
  void DestroyContext(GLContextHandle context) override;
  bool MakeCurrent(GLContextHandle context) override;
  void DoneCurrent() override;
  void Swap() override;
  bool SetSwapInterval(int interval) override { return false; }
  unsigned Framebuffer() const override { return current_ ? current_->fbo : 0; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }

  // The framebuffer object follows on the next MakeCurrent.
  void Resize(int width, int height);

 private:
  struct Target {
    GLContextHandle context;
    unsigned fbo = 0, color = 0, depth = 0;
    int width = 0, height = 0;
  };
  void BuildTarget(Target& t);
  static void FreeTarget(Target& t);

  int width_;
  int height_;
  std::vector<Target> targets_;  // one per context created here
  Target* current_ = nullptr;
};

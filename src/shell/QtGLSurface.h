#pragma once
// The window-system layer of the GL device in the viewer: contexts made with Qt on the
// drawing window. Holds no GL calls.
#include <QWindow>

#include "rendering/GLSurfaceProvider.h"

class QtGLSurface : public IGLSurfaceProvider {
 public:
  explicit QtGLSurface(QWindow* window) : window_(window) {}

  GLContextHandle CreateContext(GLContextHandle shareWith, GLProfile profile) override;
  void DestroyContext(GLContextHandle context) override;
  bool MakeCurrent(GLContextHandle context) override;
  void DoneCurrent() override;
  void Swap() override;
  bool SetSwapInterval(int interval) override;
  unsigned Framebuffer() const override;
  int Width() const override;
  int Height() const override;

 private:
  QWindow* window_;
};

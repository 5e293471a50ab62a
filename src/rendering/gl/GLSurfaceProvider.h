#pragma once
// The window-system layer the GL device draws through: a headless EGL surface in the batch
// tool and the tests, the Qt window in the viewer. The device never assumes framebuffer 0;
// it draws into whatever Framebuffer() names while the surface's context is current.

using GLContextHandle = void*;

class IGLSurfaceProvider {
 public:
  virtual ~IGLSurfaceProvider() = default;

  // A compatibility-profile context for this surface, sharing display lists, textures and
  // buffers with shareWith when that is not null. Null on failure.
  virtual GLContextHandle CreateContext(GLContextHandle shareWith) = 0;
  virtual void DestroyContext(GLContextHandle context) = 0;
  // Makes the context current on this surface; false when that fails.
  virtual bool MakeCurrent(GLContextHandle context) = 0;
  virtual void DoneCurrent() = 0;
  virtual void Swap() = 0;
  // False when the window system cannot change the swap interval.
  virtual bool SetSwapInterval(int interval) = 0;
  // Id of the framebuffer to draw into; valid while a context is current on the surface.
  virtual unsigned Framebuffer() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

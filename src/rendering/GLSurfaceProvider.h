#pragma once
// The window-system layer a GL device draws through: a headless EGL surface in the batch
// tool and the tests, the Qt window in the viewer. The device never assumes framebuffer 0;
// it draws into whatever Framebuffer() names while the surface's context is current.
#include <functional>

using GLContextHandle = void*;

// The two kinds of context the back ends draw with.
enum class GLProfile { kCompatibility, kCore33 };

class IGLSurfaceProvider {
 public:
  // Tells whoever asked (OnDestroyed) that the surface is gone, after the derived surface
  // has destroyed its contexts.
  virtual ~IGLSurfaceProvider() {
    if (onDestroyed_) onDestroyed_(this);
  }

  // A context of the profile for this surface, sharing display lists, textures and buffers
  // with shareWith when that is not null. Null on failure.
  virtual GLContextHandle CreateContext(GLContextHandle shareWith, GLProfile profile) = 0;
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

  // A holder of pointers to this surface (a device's context table) drops them when told.
  void OnDestroyed(std::function<void(IGLSurfaceProvider*)> notify) {
    onDestroyed_ = std::move(notify);
  }

 private:
  std::function<void(IGLSurfaceProvider*)> onDestroyed_;
};

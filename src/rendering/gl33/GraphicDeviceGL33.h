#pragma once
// The shader back end's device: an OpenGL 3.3 core context of its own on the surface and a
// framebuffer object (colour RGBA8, or RGBA16F; 32-bit float depth) the scene is drawn into,
// then copied to the surface's framebuffer and presented, or read back by the bitmap outputs.
// Resize only records the size; the next BeginFrame applies the last one. GL-free header.
#include <string>

#include "rendering/GLSurfaceProvider.h"
#include "rendering/GraphicDevice.h"

// What the renderers read of the device: the current draw targets. Filled by Initialize and
// after every applied resize; it owns nothing.
struct RenderContextGL33 {
  GLContextHandle context = nullptr;
  unsigned framebuffer = 0;  // the render target
  unsigned color = 0;        // its colour renderbuffer
  unsigned depth = 0;        // its depth renderbuffer
  int width = 0, height = 0;
  bool halfFloat = false;  // RGBA16F colour
};

class GraphicDeviceGL33 : public IGraphicDevice {
 public:
  // halfFloat: an RGBA16F colour target ("ColorFormat" = "R16G16B16A16_FLOAT").
  GraphicDeviceGL33(IGLSurfaceProvider* surface, bool halfFloat);
  // Releases the targets and the context; Release() the renderers before.
  ~GraphicDeviceGL33() override;
  GraphicDeviceGL33(const GraphicDeviceGL33&) = delete;
  GraphicDeviceGL33& operator=(const GraphicDeviceGL33&) = delete;

  // 0: ready; 3: vsync (mode 1) cannot be switched on; -1: failure, the message in Error().
  int Initialize(int width, int height, int vsyncMode) override;
  // Makes the context current, applies a pending resize, binds the render target.
  void BeginFrame() override;
  // Presents (the surface's swap) and makes no context current.
  void EndFrame() override;
  void Resize(int width, int height) override;

  // Makes the context current with the render target bound, for outputs outside the frame
  // loop. False without a context.
  bool MakeCurrent();
  void DoneCurrent();
  // Resizes the targets now when they differ from the size (a tile larger than the last
  // recorded size); false when they cannot be made.
  bool EnsureSize(int width, int height);

  const RenderContextGL33& Context() const { return context_; }
  IGLSurfaceProvider* Surface() const { return surface_; }
  const std::string& Error() const { return error_; }
  // How many times the targets were (re)made for a new size.
  int ResizesApplied() const { return resizesApplied_; }
  bool ResizePending() const { return resizePending_; }

 private:
  bool MakeTargets(int width, int height);
  void FreeTargets();

  IGLSurfaceProvider* surface_;
  RenderContextGL33 context_;
  bool resizePending_ = false;
  int pendingWidth_ = 0, pendingHeight_ = 0;
  int resizesApplied_ = 0;
  std::string error_;
};

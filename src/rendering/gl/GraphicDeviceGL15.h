#pragma once
// The fixed-function OpenGL device. It draws into the surface it is given and keeps its
// context in the process-wide registry, so every device's objects are shared.
#include "rendering/GraphicDevice.h"
#include "rendering/GLSurfaceProvider.h"

class GraphicDeviceGL15 : public IGraphicDevice {
 public:
  explicit GraphicDeviceGL15(IGLSurfaceProvider* surface) : surface_(surface) {}
  // Makes no context current, deletes every registered context and empties the registry.
  ~GraphicDeviceGL15() override;
  GraphicDeviceGL15(const GraphicDeviceGL15&) = delete;
  GraphicDeviceGL15& operator=(const GraphicDeviceGL15&) = delete;

  // Returns 0, 3 when vsync (mode 1) cannot be switched on, -1 when no context could be
  // created.
  int Initialize(int width, int height, int vsyncMode) override;
  void BeginFrame() override;
  void EndFrame() override;
  // The surface follows its window; nothing to do here.
  void Resize(int width, int height) override {}

  // Makes the registered context current and binds the surface's framebuffer, for outputs
  // that render outside the frame loop. False when this surface has no context.
  bool MakeCurrent();
  void DoneCurrent();
  IGLSurfaceProvider* Surface() const { return surface_; }

  // The state every frame starts from.
  static void ApplyFixedState();

 private:
  IGLSurfaceProvider* surface_;
};

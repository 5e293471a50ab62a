#pragma once
// The one drawing device of the run. Implementations own only what is needed to get a
// drawable surface, make it current, present it and follow the window's size; everything
// drawn happens between BeginFrame and EndFrame.

class IGraphicDevice {
 public:
  virtual ~IGraphicDevice() = default;

  // 0: ready; 3: vsync was asked for but cannot be switched on (the caller paces frames
  // itself, mode 3); anything else: failure, the caller destroys the device.
  virtual int Initialize(int width, int height, int vsyncMode) = 0;
  // Afterwards the surface's framebuffer is the current target; the caller clears and draws.
  virtual void BeginFrame() = 0;
  // Presents the frame.
  virtual void EndFrame() = 0;
  // May come at any time and many times between frames; only the last size counts.
  virtual void Resize(int width, int height) = 0;
};

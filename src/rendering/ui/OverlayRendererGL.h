#pragma once
// Draws a screen plan's overlay items with fixed-function GL: filled rectangles and images,
// alpha-blended over the finished scene in window pixels. The header is free of GL.
#include <map>
#include <vector>

#include "rendering/scene/ScenePlan.h"

class OverlayRendererGL {
 public:
  OverlayRendererGL() = default;
  // Textures are released by Release, while the context is current.
  ~OverlayRendererGL() = default;
  OverlayRendererGL(const OverlayRendererGL&) = delete;
  OverlayRendererGL& operator=(const OverlayRendererGL&) = delete;

  // Over the framebuffer bound now, whose size is width x height; the GL state the scene
  // drawing relies on is as before afterwards.
  void Draw(const std::vector<qv::scene::OverlayItem>& items, int width, int height);
  // With the context current.
  void Release();

 private:
  unsigned Texture(const qv::scene::OverlayImage& image);

  struct Uploaded {
    unsigned id = 0;
    const uint8_t* pixels = nullptr;
  };
  std::map<const qv::scene::OverlayImage*, Uploaded> textures_;
};

#pragma once
// Draws a screen plan's overlay items with the 3.3 core profile: one textured or filled quad
// per item, alpha-blended over the finished scene in window pixels. Its two small shaders
// are part of it (they belong to no renderer of the shader set). The header is free of GL.
#include <map>
#include <vector>

#include "rendering/scene/ScenePlan.h"

class OverlayRendererGL33 {
 public:
  OverlayRendererGL33() = default;
  // GL objects go in Release, while the context is current.
  ~OverlayRendererGL33() = default;
  OverlayRendererGL33(const OverlayRendererGL33&) = delete;
  OverlayRendererGL33& operator=(const OverlayRendererGL33&) = delete;

  // Over the framebuffer bound now, whose size is width x height. The GL state it changes
  // is restored afterwards. Nothing is drawn when its shaders do not build.
  void Draw(const std::vector<qv::scene::OverlayItem>& items, int width, int height);
  void Release();
  // The context went with its objects: drop their names without calling GL.
  void Forget();

 private:
  bool Ready();
  unsigned Texture(const qv::scene::OverlayImage& image);

  bool tried_ = false;
  unsigned program_ = 0, vao_ = 0, vbo_ = 0;
  int rectAt_ = -1, sizeAt_ = -1, colorAt_ = -1, texturedAt_ = -1, imageAt_ = -1;
  struct Uploaded {
    unsigned id = 0;
    const uint8_t* pixels = nullptr;
  };
  std::map<const qv::scene::OverlayImage*, Uploaded> textures_;
};

#include "rendering/gl/TiledBitmapGL.h"

#include <epoxy/gl.h>

#include <cstring>
#include <vector>

#include "rendering/gl/BackEndGL15.h"

namespace qvgl {

bool RenderTiledImage(BackEndGL15& backEnd, const DataSetList& dataSets,
                      const DisplayValues& display, const SceneCamera& camera,
                      const SceneSettings& settings, int W, int H, int m, qv::BgrImage& image) {
  if (W <= 0 || H <= 0 || m <= 0) return false;
  if (!qv::BgrImage::Representable(int64_t{W} * m, int64_t{H} * m)) return false;
  if (!image.Allocate(W * m, H * m)) return false;

  GLint framebuffer = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
  glReadBuffer(framebuffer != 0 ? GL_COLOR_ATTACHMENT0 : GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const size_t tileStride = qv::BgrImage::Stride(W);
  std::vector<uint8_t> tile(tileStride * static_cast<size_t>(H));

  // Lines keep their apparent thickness in the magnified picture.
  glLineWidth(static_cast<GLfloat>(m));
  for (int ty = 0; ty < m; ++ty) {
    for (int tx = 0; tx < m; ++tx) {
      const SceneTile part{W * m, H * m, tx * W, ty * H, W, H};
      const qv::scene::ScenePlan plan = qv::scene::BuildScene(
          dataSets, display, settings, part, qv::scene::ScenePurpose::kImage);
      backEnd.DrawPlan(plan, camera, static_cast<unsigned>(framebuffer));
      glReadPixels(0, 0, W, H, GL_BGR, GL_UNSIGNED_BYTE, tile.data());
      for (int r = 0; r < H; ++r) {
        std::memcpy(image.Row(ty * H + r) + 3 * static_cast<size_t>(tx) * W,
                    tile.data() + tileStride * r, 3 * static_cast<size_t>(W));
      }
    }
  }
  glLineWidth(1.0f);
  return true;
}

bool RenderTiledBitmap(const std::string& path, BackEndGL15& backEnd,
                       const DataSetList& dataSets, const DisplayValues& display,
                       const SceneCamera& camera, const SceneSettings& settings, int W, int H,
                       int m) {
  FILE* f = qv::OpenBitmapFile(path);
  if (!f) return false;
  qv::BgrImage image;
  if (!RenderTiledImage(backEnd, dataSets, display, camera, settings, W, H, m, image)) {
    std::fclose(f);
    std::remove(path.c_str());
    std::fprintf(stderr, "bitmap: a %d x %d picture magnified %d times cannot be written\n", W, H,
                 m);
    return false;
  }
  if (!qv::WriteImageFile(f, path, image)) {
    std::fprintf(stderr, "bitmap: writing '%s' failed\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace qvgl

bool TiledBitmapRendererGL::RenderTiledBitmap(const std::string& path, int tileWidth,
                                              int tileHeight, int magnify, const double view[16],
                                              double distance, const DisplayValues& display) {
  GraphicDeviceGL15* device = backEnd_.DeviceGL15();
  if (!device || !device->MakeCurrent()) {
    std::fprintf(stderr, "bitmap: the OpenGL context is not available\n");
    return false;
  }
  const SceneCamera camera = SceneCamera::From(camera_, view, distance);
  const bool written = qvgl::RenderTiledBitmap(path, backEnd_, dataSets_, display, camera,
                                               settings_, tileWidth, tileHeight, magnify);
  device->DoneCurrent();
  return written;
}

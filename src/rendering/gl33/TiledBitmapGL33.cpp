#include "rendering/gl33/TiledBitmapGL33.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "rendering/gl33/BackEndGL33.h"
#include "rendering/gl33/ReadBack.h"

bool TiledBitmapRendererGL33::RenderTiledImage(const DisplayValues& display,
                                               const SceneCamera& camera, int W, int H, int m,
                                               qv::BgrImage& image) {
  if (W <= 0 || H <= 0 || m <= 0) return false;
  if (!qv::BgrImage::Representable(int64_t{W} * m, int64_t{H} * m)) return false;
  GraphicDeviceGL33* device = backEnd_.DeviceGL33();
  if (!device || !device->EnsureSize(W, H)) return false;
  if (!image.Allocate(W * m, H * m)) return false;
  const RenderContextGL33& rc = device->Context();
  const bool half = rc.halfFloat;
  std::vector<uint8_t> tile(static_cast<size_t>(W) * H * (half ? 8 : 4));
  backEnd_.SetLineWidth(static_cast<float>(m));
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  for (int ty = 0; ty < m; ++ty) {
    for (int tx = 0; tx < m; ++tx) {
      const SceneTile part{W * m, H * m, tx * W, ty * H, W, H};
      const qv::scene::ScenePlan plan = qv::scene::BuildScene(
          dataSets_, display, settings_, part, qv::scene::ScenePurpose::kImage);
      backEnd_.DrawPlan(plan, camera, rc.framebuffer);
      glBindFramebuffer(GL_READ_FRAMEBUFFER, rc.framebuffer);
      glReadBuffer(GL_COLOR_ATTACHMENT0);
      glReadPixels(0, 0, W, H, GL_RGBA, half ? GL_HALF_FLOAT : GL_UNSIGNED_BYTE, tile.data());
      const size_t rowBytes = static_cast<size_t>(W) * (half ? 8 : 4);
      for (int r = 0; r < H; ++r) {
        qvgl33::RowToBgr(tile.data() + rowBytes * r, static_cast<size_t>(W), half,
                         image.Row(ty * H + r) + 3 * static_cast<size_t>(tx) * W);
      }
    }
  }
  backEnd_.SetLineWidth(1.0f);
  return true;
}

bool TiledBitmapRendererGL33::RenderTiledBitmap(const std::string& path, int W, int H, int m,
                                                const double view[16], double distance,
                                                const DisplayValues& display) {
  GraphicDeviceGL33* device = backEnd_.DeviceGL33();
  if (!device || !device->MakeCurrent()) {
    std::fprintf(stderr, "bitmap: the OpenGL context is not available\n");
    return false;
  }
  const SceneCamera camera = SceneCamera::From(camera_, view, distance);
  // Some data types are written by no shader bitmap: the plan of the first tile says so.
  const qv::scene::ScenePlan probe = qv::scene::BuildScene(
      dataSets_, display, settings_, SceneTile{W * std::max(m, 1), H * std::max(m, 1), 0, 0, W, H},
      qv::scene::ScenePurpose::kImage);
  if (probe.refusesShaderBitmap) {
    device->DoneCurrent();
    std::fprintf(stderr, "bitmap: this data set is not written as a bitmap by the shader back end\n");
    return false;
  }
  FILE* f = qv::OpenBitmapFile(path);
  if (!f) {
    device->DoneCurrent();
    return false;
  }
  qv::BgrImage image;
  const bool drawn = RenderTiledImage(display, camera, W, H, m, image);
  device->DoneCurrent();
  if (!drawn) {
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

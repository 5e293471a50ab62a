#pragma once
// Pictures larger than the surface: a grid of surface-sized tiles, each drawn with its
// off-axis part of the camera's projection and read back from the framebuffer being drawn
// into, assembled bottom-up.
#include <string>

#include "output/BitmapFile.h"
#include "rendering/TiledBitmapRenderer.h"
#include "rendering/scene/ScenePlan.h"

class BackEndGL15;

namespace qvgl {

// Renders the m x m tiles of W x H each into image (W*m x H*m). The context must be current
// with a framebuffer of at least W x H bound. False when the size cannot be represented.
bool RenderTiledImage(BackEndGL15& backEnd, const DataSetList& dataSets,
                      const DisplayValues& display, const SceneCamera& camera,
                      const SceneSettings& settings, int tileWidth, int tileHeight, int magnify,
                      qv::BgrImage& image);

// Opens the file first (console message when it cannot be created), renders the tiles and
// writes BMP, or PNG when the path ends in ".png". False when nothing was written; a file
// that could not be written whole is removed.
bool RenderTiledBitmap(const std::string& path, BackEndGL15& backEnd,
                       const DataSetList& dataSets, const DisplayValues& display,
                       const SceneCamera& camera, const SceneSettings& settings, int tileWidth,
                       int tileHeight, int magnify);

}  // namespace qvgl

// The bitmap outputs on the fixed-function back end: makes its device's registered context
// current, renders the tiles into the device's surface and makes no context current again.
class TiledBitmapRendererGL : public ITiledBitmapRenderer {
 public:
  TiledBitmapRendererGL(BackEndGL15& backEnd, const DataSetList& dataSets, const CameraGL& camera,
                        const SceneSettings& settings)
      : backEnd_(backEnd), dataSets_(dataSets), camera_(camera), settings_(settings) {}

  bool RenderTiledBitmap(const std::string& path, int tileWidth, int tileHeight, int magnify,
                         const double view[16], double distance,
                         const DisplayValues& display) override;

 private:
  BackEndGL15& backEnd_;
  const DataSetList& dataSets_;
  const CameraGL& camera_;
  SceneSettings settings_;
};

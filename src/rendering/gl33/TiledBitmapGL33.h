#pragma once
// The bitmap outputs on the shader back end: each tile is drawn into the device's render
// target and read back from it (RGBA8 as it is, RGBA16F through the 0.45454544 power), then
// assembled bottom-up. A plan that refuses shader bitmaps (a scalar field first in the
// list) writes nothing.
#include <string>

#include "output/BitmapFile.h"
#include "rendering/TiledBitmapRenderer.h"
#include "rendering/scene/ScenePlan.h"

class BackEndGL33;

class TiledBitmapRendererGL33 : public ITiledBitmapRenderer {
 public:
  TiledBitmapRendererGL33(BackEndGL33& backEnd, const DataSetList& dataSets,
                          const CameraGL& camera, const SceneSettings& settings)
      : backEnd_(backEnd), dataSets_(dataSets), camera_(camera), settings_(settings) {}

  bool RenderTiledBitmap(const std::string& path, int tileWidth, int tileHeight, int magnify,
                         const double view[16], double distance,
                         const DisplayValues& display) override;

  // The m x m tiles of W x H into image; the device's context must be current. False when
  // the size cannot be represented or the targets cannot be made.
  bool RenderTiledImage(const DisplayValues& display, const SceneCamera& camera, int tileWidth,
                        int tileHeight, int magnify, qv::BgrImage& image);

 private:
  BackEndGL33& backEnd_;
  const DataSetList& dataSets_;
  const CameraGL& camera_;
  SceneSettings settings_;
};

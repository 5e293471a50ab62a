#pragma once
// Pictures larger than the surface: a grid of surface-sized tiles, each drawn with its
// off-axis part of the camera's projection and read back from the framebuffer being drawn
// into, assembled bottom-up.
#include <string>

#include "output/BitmapFile.h"
#include "rendering/gl/SceneGL.h"

namespace qvgl {

// Renders the m x m tiles of W x H each into image (W*m x H*m). The context must be current
// with a framebuffer of at least W x H bound. False when the size cannot be represented.
bool RenderTiledImage(SceneRendererGL& scene, const DataSetList& dataSets,
                      const DisplayValues& display, const SceneCamera& camera,
                      const SceneSettings& settings, int tileWidth, int tileHeight, int magnify,
                      qv::BgrImage& image);

// Opens the file first (console message when it cannot be created), renders the tiles and
// writes BMP, or PNG when the path ends in ".png". False when nothing was written.
bool RenderTiledBitmap(const std::string& path, SceneRendererGL& scene,
                       const DataSetList& dataSets, const DisplayValues& display,
                       const SceneCamera& camera, const SceneSettings& settings, int tileWidth,
                       int tileHeight, int magnify);

}  // namespace qvgl

#pragma once
// What the bitmap outputs need from a drawing back end: render the scene as m x m tiles of
// the client size with the given camera and write the picture.
#include <string>

#include "shell/settings/DisplayOptions.h"

class ITiledBitmapRenderer {
 public:
  virtual ~ITiledBitmapRenderer() = default;
  // view: the camera's view matrix (eye space z forward, column-major); distance: the camera
  // distance for the projection. Opens the file first and prints the console message when it
  // cannot be created. False when nothing was written.
  virtual bool RenderTiledBitmap(const std::string& path, int tileWidth, int tileHeight,
                                 int magnify, const double view[16], double distance,
                                 const DisplayValues& display) = 0;
};

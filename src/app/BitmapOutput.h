#pragma once
// The bitmap commands: the single bitmap (and every sequence step) and the large bitmap.
#include <string>

#include "app/Quivane.h"
#include "rendering/GraphicDevice.h"
#include "rendering/TiledBitmapRenderer.h"

// Computes the camera's view matrix and distance, begins a frame, lets the back end render
// and write the file, ends the frame. Returns the path when it was written, else empty.
std::string RenderBitmapFile(Quivane& app, const std::string& path, int magnify,
                             IGraphicDevice& device, ITiledBitmapRenderer& renderer);

// "DefaultBmpMagnify" times the draw size, named base + four-digit number + ".bmp".
// Returns the path written; empty when nothing was written (no data set, or the file could
// not be created). The frame is begun and ended on the device either way.
std::string WriteBitmap(Quivane& app, int number, IGraphicDevice& device,
                        ITiledBitmapRenderer& renderer);
// "LargeBmpMagnify" times the draw size, named base + "_x<m>_<frame>.bmp".
std::string WriteLargeBitmap(Quivane& app, IGraphicDevice& device, ITiledBitmapRenderer& renderer);

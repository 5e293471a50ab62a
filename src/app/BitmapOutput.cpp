#include "app/BitmapOutput.h"

#include "output/BitmapFile.h"

std::string RenderBitmapFile(Quivane& app, const std::string& path, int magnify, IGraphicDevice& device,
                   ITiledBitmapRenderer& renderer) {
  double view[16];
  app.camera.ViewMatrix(view);
  const double distance = app.camera.Distance();
  device.BeginFrame();
  const bool written = renderer.RenderTiledBitmap(path, app.drawWidth, app.drawHeight, magnify,
                                                  view, distance, app.options.values);
  device.EndFrame();
  return written ? path : std::string();
}

std::string WriteBitmap(Quivane& app, int number, IGraphicDevice& device,
                        ITiledBitmapRenderer& renderer) {
  const LawData* first = app.dataSets.First();
  if (!first) return {};
  const std::string base = qv::BitmapBaseName(first->path, app.settings.defaultPath);
  return RenderBitmapFile(app, qv::BitmapFileName(base, number), app.settings.defaultBmpMagnify, device,
                renderer);
}

std::string WriteLargeBitmap(Quivane& app, IGraphicDevice& device, ITiledBitmapRenderer& renderer) {
  const LawData* first = app.dataSets.First();
  if (!first) return {};
  const int m = app.settings.largeBmpMagnify;
  const std::string base = qv::BitmapBaseName(first->path, app.settings.defaultPath);
  return RenderBitmapFile(app, qv::LargeBitmapFileName(base, m, app.currentFrame), m, device, renderer);
}

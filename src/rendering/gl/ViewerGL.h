#pragma once
// What the viewer's window needs from the OpenGL back end, behind a header free of GL, so
// the Qt shell can hold it (Qt and the GL loader never meet in one source file).
#include <memory>

class CameraGL;
class DataSetList;
class IGLSurfaceProvider;
class IGraphicDevice;
class ITiledBitmapRenderer;
struct DisplayValues;
struct Settings;
namespace qv {
struct ColorTables;
}

class ViewerGL {
 public:
  explicit ViewerGL(IGLSurfaceProvider* surface);
  ~ViewerGL();
  ViewerGL(const ViewerGL&) = delete;
  ViewerGL& operator=(const ViewerGL&) = delete;

  // The device's result: 0 ready, 3 pace frames in mode 3, anything else a failure.
  int Initialize(int width, int height, int vsyncMode);
  // Begin, scene of every data set, end (present). False when there is no device. The
  // element colours are passed apart from the settings: a reload of the settings file
  // changes them only from the next load on.
  bool DrawFrame(const DataSetList& dataSets, const DisplayValues& display, const CameraGL& camera,
                 const Settings& settings, const qv::ColorTables& colors, int width, int height);
  // The device, and a bitmap back end drawing the same scene, for the bitmap commands.
  // Null when there is no device.
  IGraphicDevice* Device();
  std::unique_ptr<ITiledBitmapRenderer> BitmapRenderer(const DataSetList& dataSets,
                                                       const CameraGL& camera,
                                                       const Settings& settings,
                                                       const qv::ColorTables& colors);
  // The surface is about to go: drop the renderers and the device (and its contexts).
  void Release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

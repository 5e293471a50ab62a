#pragma once
// What the viewer's window needs from the OpenGL back end, behind a header free of GL and
// of the scene's types, so the Qt shell can hold it (Qt and the GL loader never meet in one
// source file).
#include <memory>
#include <string>

class IGLSurfaceProvider;
class DataSetList;
namespace qv {
struct ColorTables;
}
struct DisplayValues;
struct Settings;

// The camera as the scene reads it.
struct ViewerCamera {
  double view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // z forward, column-major
  double distance = 50.0;
  double viewAngle = 0.48;  // radians
  double nearFactor = 0.1;
  double farFactor = 10.0;
};

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
  bool DrawFrame(const DataSetList& dataSets, const DisplayValues& display,
                 const ViewerCamera& camera, const Settings& settings,
                 const qv::ColorTables& colors, int width, int height);
  // Renders the scene as magnify x magnify tiles of width x height and writes the file;
  // the frame is begun and ended on the device as for a drawn frame. False when nothing
  // was written.
  bool WriteBitmap(const std::string& path, int magnify, const DataSetList& dataSets,
                   const DisplayValues& display, const ViewerCamera& camera,
                   const Settings& settings, const qv::ColorTables& colors, int width,
                   int height);
  // The surface is about to go: drop the renderers and the device (and its contexts).
  void Release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

#pragma once
// One picture of every loaded data set through the fixed-function pipeline: clear, light,
// camera, the viewport layout, then each data set (atoms, bonds, box, atom trace).
#include <array>
#include <cstdint>
#include <memory>

#include "data/DataSetList.h"
#include "data/ElementTable.h"
#include "rendering/Camera.h"
#include "rendering/gl/AtomRendererGL.h"
#include "rendering/gl/PointRendererGL.h"
#include "shell/settings/DisplayOptions.h"
#include "shell/settings/Settings.h"

// The camera as the scene needs it: a view matrix and distance (computed once per picture by
// the caller) and the camera whose view angle and clip factors build the projections.
struct SceneCamera {
  double view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // z forward, column-major
  double distance = 50.0;
  CameraGL camera;

  static SceneCamera From(const CameraGL& camera);
  static SceneCamera From(const CameraGL& camera, const double view[16], double distance);
};

// The part of a (possibly larger) image that the framebuffer receives at (0, 0).
struct SceneTile {
  int fullWidth = 0, fullHeight = 0;
  int x = 0, y = 0, width = 0, height = 0;  // y counted from the bottom of the full image
  static SceneTile Whole(int w, int h) { return {w, h, 0, 0, w, h}; }
};

// The scene's settings as the settings file gives them.
SceneSettings SceneSettingsFrom(const Settings& settings);

// Owns the renderers, which keep meshes and arrays between draws.
class SceneRendererGL {
 public:
  // Draws into the current context and framebuffer.
  void DrawScene(const DataSetList& dataSets, const DisplayValues& display,
                 const SceneCamera& camera, const SceneTile& tile, const SceneSettings& settings);
  void DrawDataSet(const LawData& entry, const DisplayValues& display,
                   const SceneSettings& settings);

  AtomRendererGL& Atoms();
  PointRendererGL& Points();

 private:
  std::unique_ptr<AtomRendererGL> atoms_;
  std::unique_ptr<PointRendererGL> points_;
};

namespace qvgl {
// Twelve edges of the parallelepiped (corner o, edges a, b, c) in the background's complement,
// twice as wide as the current line width, unlit.
void DrawBox(const float a[3], const float b[3], const float c[3], const float origin[3],
             const std::array<float, 4>& background);
// The traced atom's recorded positions, in frame order, as one line strip.
void DrawTrace(const LawData& entry, const std::array<float, 3>& color, float width);
// Loads the camera's projection for sub-rectangle (x, y, w, h) of a full image fw x fh.
void LoadProjection(int mode, int fw, int fh, int x, int y, int w, int h,
                    const SceneCamera& camera);
// Whether files of this extension never show a box.
bool BoxlessExtension(std::string_view extension);
}  // namespace qvgl

#include "rendering/gl/SceneGL.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>

#include "rendering/gl/GLErrors.h"

namespace qvgl {

bool BoxlessExtension(std::string_view extension) {
  return extension == "xyz" || extension == "md2" || extension == "md" || extension == "pdb";
}

void LoadProjection(int mode, int fw, int fh, int x, int y, int w, int h,
                    const SceneCamera& camera) {
  const CameraGL::Mat4 m = camera.camera.ProjectionGL(mode, fw, fh, x, y, w, h, camera.distance);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m.data());
  glMatrixMode(GL_MODELVIEW);
}

void DrawBox(const float a[3], const float b[3], const float c[3], const float o[3],
             const std::array<float, 4>& bg) {
  glColor3f(1.0f - bg[0], 1.0f - bg[1], 1.0f - bg[2]);
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  // Twice the current width: magnified bitmaps widen every line by the same factor.
  glLineWidth(2.0f * saved);
  glDisable(GL_LIGHTING);
  auto corner = [&](int i, int j, int k) {
    glVertex3f(o[0] + i * a[0] + j * b[0] + k * c[0], o[1] + i * a[1] + j * b[1] + k * c[1],
               o[2] + i * a[2] + j * b[2] + k * c[2]);
  };
  // Bottom face, top face, then the two side faces that hold the four vertical edges.
  glBegin(GL_LINE_LOOP);
  corner(0, 0, 0), corner(1, 0, 0), corner(1, 1, 0), corner(0, 1, 0);
  glEnd();
  glBegin(GL_LINE_LOOP);
  corner(0, 0, 1), corner(1, 0, 1), corner(1, 1, 1), corner(0, 1, 1);
  glEnd();
  glBegin(GL_LINE_LOOP);
  corner(0, 0, 0), corner(0, 0, 1), corner(0, 1, 1), corner(0, 1, 0);
  glEnd();
  glBegin(GL_LINE_LOOP);
  corner(1, 0, 0), corner(1, 0, 1), corner(1, 1, 1), corner(1, 1, 0);
  glEnd();
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

void DrawTrace(const LawData& entry, const std::array<float, 3>& color, float width) {
  if (entry.trace.size() < 2) return;
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  glLineWidth(std::max(width * saved, 1.0f));
  glDisable(GL_LIGHTING);
  glColor3f(color[0], color[1], color[2]);
  glBegin(GL_LINE_STRIP);
  for (const auto& [frame, p] : entry.trace) glVertex3f(p[0], p[1], p[2]);
  glEnd();
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

}  // namespace qvgl

SceneSettings SceneSettingsFrom(const Settings& settings) {
  SceneSettings s;
  s.colors = &settings.colors;
  s.vramBytes = settings.vramBytes;
  s.maxPressure = settings.maxPressure;
  s.traceColor = {settings.trajectoryColor[0], settings.trajectoryColor[1],
                  settings.trajectoryColor[2]};
  s.traceWidth = static_cast<float>(settings.trajectoryWidth);
  return s;
}

SceneCamera SceneCamera::From(const CameraGL& camera) {
  double view[16];
  camera.ViewMatrix(view);
  return From(camera, view, camera.Distance());
}

SceneCamera SceneCamera::From(const CameraGL& camera, const double view[16], double distance) {
  SceneCamera s;
  std::copy(view, view + 16, s.view);
  s.distance = distance;
  s.camera = camera;
  return s;
}

AtomRendererGL& SceneRendererGL::Atoms() {
  if (!atoms_) atoms_ = std::make_unique<AtomRendererGL>();
  return *atoms_;
}

PointRendererGL& SceneRendererGL::Points() {
  if (!points_) points_ = std::make_unique<PointRendererGL>();
  return *points_;
}

void SceneRendererGL::DrawDataSet(const LawData& entry, const DisplayValues& display,
                                  const SceneSettings& settings) {
  if (entry.type != kTypeMD) return;  // other kinds draw through their own modules
  const ATOMS_DATA* frame = entry.CurrentAtoms();
  if (!frame) return;
  if (display.atomStyle == 1 || display.atomStyle == 2) {
    // Bonds are determined on first request, also for the colours of the point style.
    const BOND_INFO* bonds = entry.CurrentBonds();
    if (display.atomStyle == 1) {
      Atoms().Draw(*frame, bonds, display, settings);
    } else {
      Points().Draw(*frame, bonds, display, settings);
    }
  }
  if (display.box != 0 && !qvgl::BoxlessExtension(entry.Extension())) {
    float a[3], b[3], c[3], o[3];
    for (int k = 0; k < 3; ++k) {
      a[k] = static_cast<float>(frame->box[k]);
      b[k] = static_cast<float>(frame->box[3 + k]);
      c[k] = static_cast<float>(frame->box[6 + k]);
      o[k] = static_cast<float>(frame->origin[k]);
    }
    qvgl::DrawBox(a, b, c, o, display.background);
    glFlush();
  }
  qvgl::DrawTrace(entry, settings.traceColor, settings.traceWidth);
}

void SceneRendererGL::DrawScene(const DataSetList& dataSets, const DisplayValues& display,
                                const SceneCamera& camera, const SceneTile& tile,
                                const SceneSettings& settings) {
  const auto& bg = display.background;
  glClearColor(bg[0], bg[1], bg[2], bg[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat light[4] = {0, 1, 0, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  // The camera's eye space looks along +z; GL's looks along -z.
  double view[16];
  std::copy(camera.view, camera.view + 16, view);
  view[2] = -view[2], view[6] = -view[6], view[10] = -view[10], view[14] = -view[14];
  glLoadMatrixd(view);

  const int n = static_cast<int>(dataSets.Size());
  if (tile.width <= 0 || tile.height <= 0 || tile.fullWidth <= 0 || tile.fullHeight <= 0) return;
  if (n > 1 && display.multiData != 0) {
    const std::vector<ViewCell> cells = LayoutViewCells(n, tile.fullWidth, tile.fullHeight);
    for (const TileCell& c : ClipCellsToTile(cells, tile.x, tile.y, tile.width, tile.height)) {
      glViewport(c.viewportX, c.viewportY, c.viewportW, c.viewportH);
      qvgl::LoadProjection(display.projection, c.cellW, c.cellH, c.subX, c.subY, c.viewportW,
                           c.viewportH, camera);
      DrawDataSet(dataSets[static_cast<size_t>(c.dataSet)], display, settings);
    }
    return;
  }
  glViewport(0, 0, tile.width, tile.height);
  qvgl::LoadProjection(display.projection, tile.fullWidth, tile.fullHeight, tile.x, tile.y,
                       tile.width, tile.height, camera);
  for (int k = 0; k < n; ++k) DrawDataSet(dataSets[static_cast<size_t>(k)], display, settings);
}

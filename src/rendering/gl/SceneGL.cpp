#include "rendering/gl/SceneGL.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/SceneGeometry.h"

namespace qvgl {

void LoadProjection(int mode, int fw, int fh, int x, int y, int w, int h,
                    const SceneCamera& camera) {
  const CameraGL::Mat4 m = camera.camera.ProjectionGL(mode, fw, fh, x, y, w, h, camera.distance);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m.data());
  glMatrixMode(GL_MODELVIEW);
}

void DrawBox(const qv::scene::BoxItem& box) {
  glColor4f(box.color[0], box.color[1], box.color[2], box.color[3]);
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  // Twice the current width: magnified bitmaps widen every line by the same factor.
  glLineWidth(2.0f * saved);
  glDisable(GL_LIGHTING);
  const auto corner = qv::geo::BoxCorners(box.a, box.b, box.c, box.origin);
  auto loop = [&](int p, int q, int r, int s) {
    glBegin(GL_LINE_LOOP);
    for (int n : {p, q, r, s}) glVertex3f(corner[n][0], corner[n][1], corner[n][2]);
    glEnd();
  };
  // Bottom face, top face, then the two side faces that hold the four vertical edges.
  loop(0, 1, 3, 2);
  loop(4, 5, 7, 6);
  loop(0, 4, 6, 2);
  loop(1, 5, 7, 3);
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

void DrawPolyline(const qv::scene::PolylineItem& line) {
  if (line.points.size() < 6) return;
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  glLineWidth(std::max(line.width * saved, 1.0f));
  glDisable(GL_LIGHTING);
  glColor3f(line.color[0], line.color[1], line.color[2]);
  glBegin(GL_LINE_STRIP);
  for (size_t k = 0; k + 2 < line.points.size(); k += 3)
    glVertex3f(line.points[k], line.points[k + 1], line.points[k + 2]);
  glEnd();
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

}  // namespace qvgl

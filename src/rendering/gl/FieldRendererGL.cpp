#include "rendering/gl/FieldRendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/gl/GLErrors.h"

void FieldRendererGL::Draw(const qv::scene::FieldCellsItem& item, const SceneSettings& settings) {
  if (!item.frame) return;
  if (filledFrom_ != item.frame) {
    qv::geo::FillFieldPoints(*item.frame, points_);
    filledFrom_ = item.frame;
  }
  if (points_.count == 0) return;

  GLdouble mv[16], pr[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, viewport);
  glPointSize(qv::geo::ProjectedPixels(points_.spacing, points_.centre, mv, pr, viewport[3]));

  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, points_.positions.data());
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, points_.colors.data());
  const size_t per = static_cast<size_t>(std::max<int64_t>(settings.vramBytes / 16, 1));
  for (size_t first = 0; first < points_.count; first += per) {
    const size_t n = std::min(per, points_.count - first);
    glDrawArrays(GL_POINTS, static_cast<GLint>(first), static_cast<GLsizei>(n));
  }
  qvgl::ReportGLError();
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDepthMask(GL_TRUE);
  glDisable(GL_BLEND);
  glPointSize(1.0f);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

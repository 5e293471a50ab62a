#include "rendering/gl/SpritePointsGL.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <limits>

#include "rendering/gl/GLErrors.h"

namespace qvgl {

void DrawSpritePoints(const float* xyz, size_t stride, const uint32_t* colors, size_t count,
                      float worldSize, bool translucent) {
  if (count == 0 || !xyz || !colors) return;
  GLfloat proj[16];
  glGetFloatv(GL_PROJECTION_MATRIX, proj);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Pixels per world unit: at eye distance 1 for a perspective projection (the distance
  // attenuation divides by the distance), everywhere for an orthographic one.
  const float pixelsPerUnit = proj[5] * static_cast<float>(viewport[3]) * 0.5f;
  const bool perspective = proj[11] != 0;
  const GLfloat attenuation[3] = {perspective ? 0.0f : 1.0f, 0.0f, perspective ? 1.0f : 0.0f};
  glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, attenuation);
  glPointParameterf(GL_POINT_SIZE_MIN, 1.0f);
  glPointSize(std::max(worldSize * pixelsPerUnit, 1e-3f));

  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  if (translucent) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  // Client arrays are drawn in pieces whose vertex count fits a GLsizei.
  const size_t piece = static_cast<size_t>(std::numeric_limits<GLsizei>::max() / 2);
  for (size_t first = 0; first < count; first += piece) {
    const size_t n = std::min(piece, count - first);
    glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(stride * sizeof(float)), xyz + first * stride);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors + first);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(n));
  }
  ReportGLError();
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  if (translucent) {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  }
  const GLfloat none[3] = {1, 0, 0};
  glPointParameterfv(GL_POINT_DISTANCE_ATTENUATION, none);
  glPointParameterf(GL_POINT_SIZE_MIN, 0.0f);
  glPointSize(1.0f);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

void DrawSegments(const float* xyz, const uint32_t* colors, size_t segments, float width) {
  if (segments == 0 || !xyz || !colors) return;
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  glLineWidth(std::max(width * saved, 1.0f));
  glDisable(GL_LIGHTING);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  const size_t piece = static_cast<size_t>(std::numeric_limits<GLsizei>::max() / 4);
  for (size_t first = 0; first < segments; first += piece) {
    const size_t n = std::min(piece, segments - first);
    glVertexPointer(3, GL_FLOAT, 0, xyz + 6 * first);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors + 2 * first);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(2 * n));
  }
  ReportGLError();
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

}  // namespace qvgl

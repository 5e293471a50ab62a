#include "rendering/gl/BCARendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/gl/GLErrors.h"

void BCARendererGL::Draw(const qv::scene::PathsItem& item) {
  if (!item.points || !item.indices || !item.counts || item.pathCount <= 0) return;
  GLfloat saved = 1.0f;
  glGetFloatv(GL_LINE_WIDTH, &saved);
  glLineWidth(std::max(item.width * saved, 1.0f));
  glDisable(GL_LIGHTING);
  glColor3f(item.color[0], item.color[1], item.color[2]);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, item.points);
  const uint32_t* idx = item.indices;
  for (int64_t p = 0; p < item.pathCount; ++p) {
    const uint32_t n = item.counts[p];
    // A path with one visible point so far shows as that point.
    glDrawElements(n > 1 ? GL_LINE_STRIP : GL_POINTS, static_cast<GLsizei>(n), GL_UNSIGNED_INT,
                   idx);
    idx += n;
  }
  qvgl::ReportGLError();
  glDisableClientState(GL_VERTEX_ARRAY);
  glLineWidth(saved);
  glEnable(GL_LIGHTING);
  glColor4f(1, 1, 1, 1);
}

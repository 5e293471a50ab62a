#include "rendering/gl/FieldRendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "auxdata/field/Field3DLoader.h"
#include "rendering/gl/GLErrors.h"

void FieldRendererGL::Fill(const FieldFrame& f) {
  filledFrom_ = &f;
  const size_t cells = f.CellCount();
  size_t visible = 0;
  for (size_t i = 0; i < cells; ++i) visible += f.cells[4 * i + 3] != 0;
  positions_.resize(3 * visible);
  colors_.resize(visible);
  double step[3][3];
  const int n[3] = {f.nx, f.ny, f.nz};
  double shortest = 0;
  for (int e = 0; e < 3; ++e) {
    for (int k = 0; k < 3; ++k) step[e][k] = f.box[3 * e + k] / n[e];
    const double len = std::sqrt(step[e][0] * step[e][0] + step[e][1] * step[e][1] +
                                 step[e][2] * step[e][2]);
    if (len > 0 && (shortest == 0 || len < shortest)) shortest = len;
  }
  spacing_ = static_cast<float>(shortest);
  for (int k = 0; k < 3; ++k) {
    centre_[k] = static_cast<float>(f.origin[k] + (f.box[k] + f.box[3 + k] + f.box[6 + k]) / 2);
  }
  size_t out = 0, i = 0;
  for (int x = 0; x < f.nx; ++x) {
    for (int y = 0; y < f.ny; ++y) {
      for (int z = 0; z < f.nz; ++z, ++i) {
        const uint8_t* c = &f.cells[4 * i];
        if (c[3] == 0) continue;
        const double u = x + 0.5, v = y + 0.5, w = z + 0.5;
        for (int k = 0; k < 3; ++k) {
          positions_[3 * out + k] =
              static_cast<float>(f.origin[k] + u * step[0][k] + v * step[1][k] + w * step[2][k]);
        }
        std::memcpy(&colors_[out], c, 4);
        ++out;
      }
    }
  }
  count_ = out;
}

void FieldRendererGL::Draw(const qv::scene::FieldCellsItem& item, const SceneSettings& settings) {
  if (!item.frame) return;
  if (filledFrom_ != item.frame) Fill(*item.frame);
  if (count_ == 0) return;

  // A cell's width in pixels at the field's centre, from the projection in force.
  GLdouble mv[16], pr[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, mv);
  glGetDoublev(GL_PROJECTION_MATRIX, pr);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double eye[4];
  for (int r = 0; r < 4; ++r) {
    eye[r] = mv[r] * centre_[0] + mv[4 + r] * centre_[1] + mv[8 + r] * centre_[2] + mv[12 + r];
  }
  const double clipW = pr[3] * eye[0] + pr[7] * eye[1] + pr[11] * eye[2] + pr[15] * eye[3];
  double pixels = 1;
  if (clipW > 1e-9) pixels = spacing_ * pr[5] / clipW * viewport[3] / 2;
  glPointSize(static_cast<GLfloat>(std::clamp(std::isfinite(pixels) ? pixels : 1.0, 1.0, 64.0)));

  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, positions_.data());
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, colors_.data());
  const size_t per = static_cast<size_t>(std::max<int64_t>(settings.vramBytes / 16, 1));
  for (size_t first = 0; first < count_; first += per) {
    const size_t n = std::min(per, count_ - first);
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

#include "rendering/gl/PointRendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/gl/GLErrors.h"

void PointRendererGL::Draw(const qv::scene::AtomsItem& item, const DisplayValues& display,
                           const SceneSettings& settings) {
  const int64_t budgetBytes = settings.vramBytes;
  const size_t atoms = item.atomCount;
  const float* positions = item.frame->positions.data();
  const uint32_t* colors = item.colors;

  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPointSize(2.0f);
  glDisable(GL_CULL_FACE);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnable(GL_COLOR_MATERIAL);

  const size_t per = std::max<int64_t>(budgetBytes / 16, 1);
  const bool single = atoms <= per;
  const bool refill = !single || !filled_ || !(lastKey_ == item.key) ||
                      lastPoly_ != display.atomPoly;
  filled_ = true;
  lastKey_ = item.key;
  lastPoly_ = display.atomPoly;
  for (size_t first = 0; first < atoms; first += per) {
    const size_t last = std::min(atoms, first + per);
    if (refill) {
      if (positions_.size() < 3 * (last - first)) {
        positions_.resize(3 * (last - first));
        batchColors_.resize(last - first);
      }
      size_t n = 0;
      for (size_t a = first; a < last; ++a) {
        const uint32_t c = colors[a];
        if (!qv::geo::Visible(c)) continue;
        positions_[3 * n] = positions[3 * a];
        positions_[3 * n + 1] = positions[3 * a + 1];
        positions_[3 * n + 2] = positions[3 * a + 2];
        batchColors_[n] = c;
        ++n;
      }
      count_ = n;
    }
    if (count_ > 0) {
      glVertexPointer(3, GL_FLOAT, 0, positions_.data());
      glColorPointer(4, GL_UNSIGNED_BYTE, 0, batchColors_.data());
      glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(count_));
      qvgl::ReportGLError();
    }
  }
  if (!single) filled_ = false;

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_COLOR_MATERIAL);
  glPointSize(1.0f);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

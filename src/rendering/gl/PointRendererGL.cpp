#include "rendering/gl/PointRendererGL.h"

#include <epoxy/gl.h>

#include <algorithm>

#include "rendering/gl/GLErrors.h"

void PointRendererGL::Draw(const ATOMS_DATA& frame, const BOND_INFO* bonds,
                           const DisplayValues& display, const SceneSettings& settings) {
  qvgl::FillAtomColors(frame, bonds, display.colorMode, settings.Colors(), settings.maxPressure,
                       scratch_, colors_);
  const int64_t budgetBytes = settings.vramBytes;
  const size_t atoms = colors_.size();
  if (frame.positions.size() < 3 * atoms) return;

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
  const int32_t bondCount = bonds ? bonds->bondCount : -1;
  const bool refill = !single || lastFrame_ != &frame || lastIndex_ != frame.index ||
                      lastPositions_ != frame.positions.data() || lastBondCount_ != bondCount ||
                      lastAtomCount_ != frame.atomCount || lastColorMode_ != display.colorMode ||
                      lastPoly_ != display.atomPoly;
  lastFrame_ = &frame;
  lastIndex_ = frame.index;
  lastPositions_ = frame.positions.data();
  lastBondCount_ = bondCount;
  lastAtomCount_ = frame.atomCount;
  lastColorMode_ = display.colorMode;
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
        const uint32_t c = colors_[a];
        if (!qvgl::Visible(c)) continue;
        positions_[3 * n] = frame.positions[3 * a];
        positions_[3 * n + 1] = frame.positions[3 * a + 1];
        positions_[3 * n + 2] = frame.positions[3 * a + 2];
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
  if (!single) lastFrame_ = nullptr;

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisable(GL_COLOR_MATERIAL);
  glPointSize(1.0f);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

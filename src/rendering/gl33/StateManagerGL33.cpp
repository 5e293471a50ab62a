#include "rendering/gl33/StateManagerGL33.h"

#include <epoxy/gl.h>

namespace qvgl33 {

void StateManagerGL33::Apply() const {
  glDisable(GL_BLEND);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ZERO, GL_ZERO);
  glBlendEquation(GL_FUNC_ADD);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDepthFunc(GL_LESS);
  glDisable(GL_STENCIL_TEST);
  glStencilMask(0xFF);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glEnable(GL_DEPTH_CLAMP);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_MULTISAMPLE);
  glDisable(GL_LINE_SMOOTH);
}

}  // namespace qvgl33

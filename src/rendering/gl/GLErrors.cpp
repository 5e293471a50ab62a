#include "rendering/gl/GLErrors.h"

#include <epoxy/gl.h>

#include <cstdio>

namespace qvgl {

const char* ErrorString(unsigned error) {
  switch (error) {
    case GL_NO_ERROR: return "no error";
    case GL_INVALID_ENUM: return "invalid enumerant";
    case GL_INVALID_VALUE: return "invalid value";
    case GL_INVALID_OPERATION: return "invalid operation";
    case GL_STACK_OVERFLOW: return "stack overflow";
    case GL_STACK_UNDERFLOW: return "stack underflow";
    case GL_OUT_OF_MEMORY: return "out of memory";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "invalid framebuffer operation";
    default: return "unknown error";
  }
}

bool ReportGLError() {
  const GLenum e = glGetError();
  if (e == GL_NO_ERROR) return false;
  std::printf("%s\n", ErrorString(e));
  std::fflush(stdout);
  return true;
}

}  // namespace qvgl

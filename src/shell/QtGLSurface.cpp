#include "QtGLSurface.h"

#include <QOpenGLContext>
#include <cmath>

GLContextHandle QtGLSurface::CreateContext(GLContextHandle shareWith, GLProfile profile) {
  auto* context = new QOpenGLContext;
  QSurfaceFormat format = window_->requestedFormat();
  if (profile == GLProfile::kCore33) {
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
  } else {
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
  }
  context->setFormat(format);
  if (shareWith) context->setShareContext(static_cast<QOpenGLContext*>(shareWith));
  if (!context->create()) {
    delete context;
    return nullptr;
  }
  return context;
}

void QtGLSurface::DestroyContext(GLContextHandle context) {
  auto* c = static_cast<QOpenGLContext*>(context);
  if (c && QOpenGLContext::currentContext() == c) c->doneCurrent();
  delete c;
}

bool QtGLSurface::MakeCurrent(GLContextHandle context) {
  auto* c = static_cast<QOpenGLContext*>(context);
  return c && window_->handle() && c->makeCurrent(window_);
}

void QtGLSurface::DoneCurrent() {
  if (QOpenGLContext* c = QOpenGLContext::currentContext()) c->doneCurrent();
}

void QtGLSurface::Swap() {
  if (QOpenGLContext* c = QOpenGLContext::currentContext()) c->swapBuffers(window_);
}

bool QtGLSurface::SetSwapInterval(int interval) {
  // Qt fixes the interval when the context is made; report whether it took the request.
  QOpenGLContext* c = QOpenGLContext::currentContext();
  return c && c->format().swapInterval() == interval;
}

unsigned QtGLSurface::Framebuffer() const {
  QOpenGLContext* c = QOpenGLContext::currentContext();
  return c ? c->defaultFramebufferObject() : 0;
}

int QtGLSurface::Width() const { return static_cast<int>(std::lround(window_->width() * window_->devicePixelRatio())); }
int QtGLSurface::Height() const { return static_cast<int>(std::lround(window_->height() * window_->devicePixelRatio())); }

#include "GLView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QExposeEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlatformSurfaceEvent>
#include <QUrl>
#include <QWheelEvent>
#include <cmath>

#include "app/Commands.h"

using qv::cmd::Key;

GLView::GLView(qv::cmd::Commands& commands, int swapInterval, GLProfile profile)
    : commands_(commands) {
  setSurfaceType(QSurface::OpenGLSurface);
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  if (profile == GLProfile::kCore33) {
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
  } else {
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
  }
  format.setRedBufferSize(8);
  format.setGreenBufferSize(8);
  format.setBlueBufferSize(8);
  format.setAlphaBufferSize(8);
  format.setDepthBufferSize(24);
  format.setSwapInterval(swapInterval);
  format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  setFormat(format);
}

GLView::~GLView() = default;

int GLView::PixelWidth() const { return static_cast<int>(std::lround(width() * devicePixelRatio())); }
int GLView::PixelHeight() const { return static_cast<int>(std::lround(height() * devicePixelRatio())); }

bool GLView::RenderFrame() {
  if (released_ || !isExposed() || !hooks.draw) return false;
  needsFrame = false;
  return hooks.draw();
}

void GLView::Release() {
  if (released_) return;
  if (hooks.releaseResources) hooks.releaseResources();
  released_ = true;
}

bool GLView::event(QEvent* e) {
  switch (e->type()) {
    case QEvent::PlatformSurface:
      if (static_cast<QPlatformSurfaceEvent*>(e)->surfaceEventType() ==
          QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
        Release();
      break;
    case QEvent::DragEnter: {
      auto* d = static_cast<QDragEnterEvent*>(e);
      if (d->mimeData()->hasUrls()) d->acceptProposedAction();
      return true;
    }
    case QEvent::DragMove: {
      auto* d = static_cast<QDragMoveEvent*>(e);
      if (d->mimeData()->hasUrls()) d->acceptProposedAction();
      return true;
    }
    case QEvent::Drop: {
      auto* d = static_cast<QDropEvent*>(e);
      QStringList paths;
      for (const QUrl& url : d->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
      d->acceptProposedAction();
      if (!paths.isEmpty()) emit filesDropped(paths);
      return true;
    }
    case QEvent::UpdateRequest:
      needsFrame = true;
      return true;
    default:
      break;
  }
  return QWindow::event(e);
}

void GLView::exposeEvent(QExposeEvent*) { needsFrame = true; }

void GLView::resizeEvent(QResizeEvent*) {
  commands_.Resize(PixelWidth(), PixelHeight());
  needsFrame = true;
}

void GLView::keyPressEvent(QKeyEvent* e) {
  if (HandleKey(e)) e->accept();
  else e->ignore();
}

bool GLView::HandleKey(QKeyEvent* e) {
  Key key = Key::Other;
  switch (e->key()) {
    case Qt::Key_PageUp: key = Key::PageUp; break;
    case Qt::Key_PageDown: key = Key::PageDown; break;
    case Qt::Key_Left: key = Key::Left; break;
    case Qt::Key_Right: key = Key::Right; break;
    case Qt::Key_Up: key = Key::Up; break;
    case Qt::Key_Down: key = Key::Down; break;
    case Qt::Key_Q: key = Key::Q; break;
    case Qt::Key_W: key = Key::W; break;
    case Qt::Key_X: key = Key::X; break;
    case Qt::Key_Z: key = Key::Z; break;
    default: break;
  }
  const Qt::KeyboardModifiers m = e->modifiers();
  if (key == Key::Other || (m & Qt::AltModifier)) return false;
  return commands_.OnKey(key, m & Qt::ControlModifier, m & Qt::ShiftModifier);
}

void GLView::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPointF p = e->position() * devicePixelRatio();
  commands_.OnLeftDown(static_cast<int>(p.x()), static_cast<int>(p.y()),
                       e->modifiers() & Qt::ControlModifier);
}

void GLView::mouseMoveEvent(QMouseEvent* e) {
  const QPointF p = e->position() * devicePixelRatio();
  commands_.OnMouseMove(static_cast<int>(p.x()), static_cast<int>(p.y()));
}

void GLView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPointF p = e->position() * devicePixelRatio();
  commands_.OnLeftUp(static_cast<int>(p.x()), static_cast<int>(p.y()));
}

void GLView::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  if (delta == 0) return;
  commands_.OnWheel(delta);
}

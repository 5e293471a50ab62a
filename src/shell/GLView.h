#pragma once
// The drawing area: a native OpenGL window with its own context, presented explicitly.
// It draws nothing itself: the Qt-free renderer is handed a current context and the id of
// the framebuffer to draw into.
#include <QOpenGLContext>
#include <QWindow>
#include <functional>
#include <memory>

namespace qv::cmd {
class Commands;
}

class GLView : public QWindow {
  Q_OBJECT
 public:
  struct Hooks {
    // Called with the context current: draw into `framebuffer` (w x h device pixels).
    std::function<void(unsigned framebuffer, int width, int height)> draw;
    // The context is current for the last time before the surface goes away.
    std::function<void()> releaseResources;
  };

  GLView(qv::cmd::Commands& commands, int depthBits);
  ~GLView() override;

  Hooks hooks;

  // Makes the context current on this window; false when there is no surface yet.
  bool MakeCurrent();
  void DoneCurrent();
  // Draws one frame and presents it. False when nothing could be drawn (not exposed).
  bool RenderFrame();
  QOpenGLContext* Context() const { return context_.get(); }
  int PixelWidth() const;
  int PixelHeight() const;
  // Set by expose events and Redraw requests; cleared by RenderFrame.
  bool needsFrame = true;

 signals:
  void filesDropped(const QStringList& paths);

 protected:
  bool event(QEvent* e) override;
  void exposeEvent(QExposeEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

 private:
  bool EnsureContext();
  void Release();

  qv::cmd::Commands& commands_;
  std::unique_ptr<QOpenGLContext> context_;
  bool released_ = false;
};

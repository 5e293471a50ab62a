#pragma once
// The drawing area: a native OpenGL window, presented explicitly. It draws nothing itself:
// the Qt-free device creates its context on this window through the surface layer and
// draws into the framebuffer that layer names.
#include <QWindow>
#include <functional>

#include "rendering/GLSurfaceProvider.h"

namespace qv::cmd {
class Commands;
}

class GLView : public QWindow {
  Q_OBJECT
 public:
  struct Hooks {
    // Draws and presents one frame; false when nothing was drawn.
    std::function<bool()> draw;
    // The surface is about to go away: release every GL resource now.
    std::function<void()> releaseResources;
  };

  GLView(qv::cmd::Commands& commands, int swapInterval,
         GLProfile profile = GLProfile::kCompatibility);
  ~GLView() override;

  Hooks hooks;

  // Draws one frame and presents it. False when nothing could be drawn (not exposed).
  bool RenderFrame();
  int PixelWidth() const;
  int PixelHeight() const;
  // The key table; false when the key is not one of ours (or nothing is loaded).
  bool HandleKey(QKeyEvent* e);
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
  void Release();

  qv::cmd::Commands& commands_;
  bool released_ = false;
};

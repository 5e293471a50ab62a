#pragma once
// The main window: menu bar built from the command table, the drawing area, the status bar,
// and the window-system services the command logic asks for.
#include <QAction>
#include <QMainWindow>
#include <QTimer>
#include <map>
#include <memory>
#include <vector>

#include "GLView.h"
#include "app/Commands.h"
#include "app/MenuTable.h"

class QMenu;
class QLabel;

class MainWindow : public QMainWindow, public qv::cmd::IShellServices, public qv::cmd::IMenuItemState {
  Q_OBJECT
 public:
  // profile: the kind of GL context the drawing area's format asks for.
  MainWindow(Quivane& app, qv::cmd::ICameraControl& camera, bool english,
             GLProfile profile = GLProfile::kCompatibility);
  ~MainWindow() override;

  qv::cmd::Commands& commands() { return *commands_; }
  GLView* view() const { return view_; }
  bool closed() const { return closed_; }
  bool busy() const { return busy_ > 0; }
  // Sizes the window so that the drawing area is width x height.
  void SetClientSize(int width, int height);
  // The actions carrying an id (tests look at their state).
  std::vector<QAction*> ActionsFor(int id) const;
  QAction* TopMenuAction(int index) const;

  // IShellServices
  void Redraw() override;
  void SetTitle(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  void StartMovieTimer() override;
  void StopMovieTimer() override;
  bool ChooseFileToOpen(std::string& path) override;
  void ShowVersionDialog() override;
  void OpenWithSystem(const std::string& path) override;
  void CloseWindow() override;
  void Progress(const std::string& what, int step) override;
  void ProgressDone() override;
  bool StopRequested() override { return stopRequested_; }
  void ShowStatus(const std::string& text) override;
  void SetFrameStatus(const std::string& text) override;
  QString FrameStatus() const;
  QString StatusText() const;

  // IMenuItemState
  void SetItemChecked(int id, bool checked) override;
  void SetItemEnabled(int id, bool enabled) override;
  void SetTopMenuEnabled(int index, bool enabled) override;

  // Message boxes are modal; tests turn them into console lines kept here.
  static bool quietMessages;
  std::vector<std::string> shownMessages;

 protected:
  void closeEvent(QCloseEvent* e) override;
  // While a long command runs, input is swallowed; Escape asks the command to stop.
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Keys reach the same table when the drawing area does not have the focus.
  void keyPressEvent(QKeyEvent* e) override;
  // Files dropped on the menu or status bar open as on the drawing area.
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void BuildMenus();
  void AddItems(QMenu* menu, const std::vector<qv::cmd::MenuNode>& nodes);
  QAction* MakeAction(const qv::cmd::MenuNode& node, QObject* parent);
  void OnAction();
  // Leaves a command; a close asked for meanwhile happens now.
  void EndBusy();

  std::unique_ptr<qv::cmd::Commands> commands_;
  GLView* view_ = nullptr;
  QWidget* container_ = nullptr;
  QTimer movieTimer_;
  std::multimap<int, QAction*> actions_;
  std::vector<QAction*> topMenus_;
  bool english_ = false;
  bool closed_ = false;
  int busy_ = 0;
  qint64 lastProgressPaint_ = 0;
  bool inProgress_ = false;
  bool stopRequested_ = false;
  bool closePending_ = false;
  QLabel* frameLabel_ = nullptr;
  QString lastFolder_;  // of the open dialog; empty: the current folder
};

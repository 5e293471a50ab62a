#pragma once
// The viewer's behaviour without its toolkit: menu commands by id, keys, mouse, the movie
// timer, the title and md3 edit mode. The Qt shell turns its events into these calls and
// implements the few services below; tests drive the same object directly.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/MenuState.h"
#include "app/Movie.h"
#include "app/OutputStatus.h"
#include "app/Quivane.h"

namespace qv::cmd {

// What the commands need from the window system.
class IShellServices {
 public:
  virtual ~IShellServices() = default;
  virtual void Redraw() = 0;  // draw one frame soon
  virtual void SetTitle(const std::string& text) = 0;
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  virtual void StartMovieTimer() = 0;  // 20 ms period
  virtual void StopMovieTimer() = 0;
  virtual bool ChooseFileToOpen(std::string& path) = 0;  // false when cancelled
  virtual void ShowVersionDialog() = 0;
  virtual void OpenWithSystem(const std::string& path) = 0;
  virtual void CloseWindow() = 0;
  // Long commands report each step; the shell may show it and repaint.
  virtual void Progress(const std::string& what, int step) {}
  virtual void ProgressDone() {}
  // Asked after each step of a long command: true when the user asked it to end (closing
  // the window, Escape). The shell forgets the request when the next command starts.
  virtual bool StopRequested() { return false; }
  // A line for the status bar: what a command wrote, or why it wrote nothing.
  virtual void ShowStatus(const std::string& text) {}
  // The frame shown and the frame count of the first data set ("frame 12 / 400").
  virtual void SetFrameStatus(const std::string& text) {}
};

// The camera operations input and sequences use. Bound to the program's camera by the shell
// (and to a recording fake by tests).
class ICameraControl {
 public:
  virtual ~ICameraControl() = default;
  virtual void FitToData() = 0;  // to the first data set's view bounds
  virtual void Zoom(double steps) = 0;
  virtual void OrbitUp(double radians) = 0;
  virtual void OrbitRight(double radians) = 0;
  virtual void ShiftRight(double amount) = 0;
  virtual void ShiftUp(double amount) = 0;
  virtual void SetSectionStep(int step) = 0;
  virtual void MoveSectionToCentre() = 0;  // near plane through the target
  virtual void ResetClipping() = 0;
  virtual void BeginDrag(int x, int y) = 0;
  virtual bool DragPan(int x, int y, int width, int height) = 0;
  virtual bool DragRotate(int x, int y, int width, int height) = 0;
  virtual void Place(const double eye[3], const double target[3], const double up[3]) = 0;
  // The atom nearest the ray through client pixel (x, y) within radius; -1 when none.
  virtual int PickAtom(int x, int y, int width, int height, const float* positions, int count,
                       double radius) const = 0;
};

// The mouse drag in progress.
enum DragState : int { kDragIdle = 0, kDragPanning = 10, kDragRotating = 20 };

enum class Key { PageUp, PageDown, Left, Right, Up, Down, Q, W, X, Z, Other };

// Work done by other layers, reached through callables so that a command whose work is not
// built (or not available in this program) simply stays empty.
struct CommandWork {
  // The bitmaps return the path written; empty when nothing was written.
  std::function<std::string(int number)> writeBitmap;  // "<base>%04d.bmp"
  std::function<std::string()> writeLargeBitmap;
  std::function<OutputResult()> writeEps;
  std::function<OutputResult()> writeMd3;  // the current frame to base + "_%d.md3"
  std::function<OutputResult()> writeFa2;
  std::function<OutputResult(bool grid)> writeStl;
  // Every frame from the current one into base + "_all.md3", then the final bitmap; onStep
  // after each frame (progress and repaint; false ends the sequence there).
  std::function<OutputResult(const StepFn& onStep)> md3Sequence;
  std::function<void()> redetermineBonds;
  std::function<OutputResult()> classifyMolecules;  // the molecule report, then the coordination report
  std::function<OutputResult()> coordinationReport;
  std::function<OutputResult(const StepFn& onStep)> coordinationSeries;
  // Stores and announces the colour mode, then colours the current frames it needs.
  std::function<void(int mode)> setColourMode;
  // Pressure colours of the first data set's current frame (after the edit-mode reload).
  std::function<void()> recolourFirst;
};

class Commands {
 public:
  Commands(Quivane& app, IShellServices& shell, ICameraControl& camera);
  ~Commands();

  CommandWork work;
  int pacingMode = 2;  // "Vsync" after start-up adjustments
  double fps = 0.0;
  bool editMode = false;
  std::filesystem::file_time_type watchedFileTime{};
  int sectionStep = 0;
  SequenceCounters counters;
  int dragState = kDragIdle;  // DragState
  int dragX = 0, dragY = 0;
  int clientWidth = 0, clientHeight = 0;

  // Window creation: radio groups on the menu, the distributer as the options' listener,
  // the large-data check for one atom. Detach on close.
  void AttachMenu(IMenuItemState* menu);
  void DetachMenu();

  // Runs a menu command. Unknown and inert ids do nothing.
  void Command(int id);

  // Opening from the command line, a drop or the open dialog, then the refresh.
  void OpenFiles(const std::vector<std::string>& paths);
  void RefreshAfterLoad();
  void RefreshTitle();
  std::string TitleText() const;

  void Resize(int width, int height);
  bool OnKey(Key key, bool ctrl, bool shift);  // false: not handled (nothing loaded)
  void OnWheel(int delta);
  void OnLeftDown(int x, int y, bool ctrl);
  void OnMouseMove(int x, int y);
  void OnLeftUp(int x, int y);
  void OnTimer();
  void OnActivated();

  // The first frame-rate interval starts at `nowMs`.
  void StartFrameClock(double nowMs);
  // Counts one drawn frame at `nowMs`; every 100 frames updates fps and the title.
  void CountFrame(double nowMs);

  Movie& movie() { return movie_; }
  NotifyDistributer& distributer() { return distributer_; }

 private:
  void DisplayOption(int property, int value);
  void StepAndShow(int direction);
  void EnterEditMode();
  void PickAt(int x, int y);
  void RunSequence(int id);
  bool FirstIsAtomistic() const;
  void ReportOutput(int id, const OutputResult& r);
  // Runs `work` and returns the console lines printed meanwhile (a reader's diagnostics).
  std::vector<std::string> Collecting(const std::function<void()>& work);

  Quivane& app_;
  IShellServices& shell_;
  ICameraControl& camera_;
  IMenuItemState* menu_ = nullptr;
  NotifyDistributer distributer_;
  std::unique_ptr<MenuRadioGroups> groups_;
  Movie movie_;
  int framesCounted_ = 0;
  double intervalStartMs_ = -1.0;
  std::vector<std::string>* collecting_ = nullptr;
  std::function<void(const std::string&, bool)> previousWatcher_;
};

}  // namespace qv::cmd

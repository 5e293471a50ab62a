#pragma once
// The application object: everything that lives for the whole run and that both the viewer
// and the batch tool drive. Knows nothing of Qt or OpenGL.
#include <string>

#include "data/DataSetList.h"
#include "rendering/Camera.h"
#include "rendering/PressureNotice.h"
#include "shell/settings/DisplayOptions.h"
#include "shell/settings/Settings.h"

enum PlayState : int { kStopped = 0, kPlayingForward = 1, kPlayingBackward = 3 };

class Quivane {
 public:
  // Registers the data types (the first object does it for the process).
  Quivane();
  virtual ~Quivane() = default;
  // One per run: the display options' pointer and the loaders' options point into it.
  Quivane(const Quivane&) = delete;
  Quivane& operator=(const Quivane&) = delete;

  DataSetList dataSets;
  int drawWidth = 0;
  int drawHeight = 0;
  int selectedAtom = -1;
  DisplayOptions options;
  DisplayOptions* displayOptions = &options;

  Settings settings;
  UICamera camera;
  int currentFrame = 0;
  int frameSkip = 1;
  int playState = kStopped;
  // The element and bond-count colours the drawing uses: the settings' as of the last load
  // (a settings reload changes colours from the next load on).
  qv::ColorTables drawColors;
  uint32_t drawColorsRevision = 0;
  // Armed by choosing pressure and by loads in it; drawing (which sees the application as
  // const) reports to it, so it is mutable.
  mutable qv::PressureNotice pressureNotice;

  // What the loaders need from the settings, with the bond builder of the analysis layer.
  LoadOptions MakeLoadOptions() const;

  // Loads a file through the dispatch; then, when the new entry is a trajectory and the
  // colour mode is pressure, colours its current frame by pressure. Returns 1 always.
  int OpenAndPrepare(const std::string& path);

  // After a load: places the camera in front of the first data set's box (data without a
  // box count as the 10-unit cube at the origin), with the view angle of the settings.
  // Leaves the camera as it was when no data set is loaded.
  void FitCameraToData();

  // After a load: the large-data check with the first data set's atom count (0 when it is
  // not a trajectory). Camera fitting is FitCameraToData.
  void ApplyLargeDataCheck();

  // After a load: the settings' colours become the drawing's.
  void TakeDrawColors();

  // Set frame of all data sets with trace recording and pressure colouring.
  int SetFrameAll(int target);

  // Atom count of the first data set's current frame, 0 when it is not a trajectory.
  int FirstAtomCount() const;

  // The colour-mode command: stores and announces 261; for pressure (2) and height (3) it
  // then computes the pressure colours of the current frame of every trajectory.
  void SetColorMode(int mode);

  // Pressure colours of a trajectory entry's current frame, its bonds determined first
  // (the edit-mode reopen uses it too). Nothing for other entries or without a frame.
  void ColorCurrentFrameByPressure(LawData& entry);
};

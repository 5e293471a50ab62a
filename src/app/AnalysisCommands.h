#pragma once
// The analysis menu commands, shared by the viewer and qvtool. They act on the first data
// set and do nothing unless it is a trajectory.
#include <functional>

#include "app/Quivane.h"

enum AnalysisStatus : int {
  kAnalysisDone = 0,
  kAnalysisMoviePlaying = 1,  // "Prease stop movie.\n" was printed; nothing happened
  kAnalysisNoTrajectory = 2,  // no data set, or the first is not a trajectory (or has no frame)
  kAnalysisNothingWritten = 3,  // coordination of a frame without bonds: no file, as designed
  kAnalysisFileError = -1,    // the report could not be written (message printed)
};

// Molecules of the current frame into base + "_mol.txt" (base + "_mol_<current frame>.txt"
// when numbered), then the coordination file as CoordinationCommand writes it.
int ClassifyMoleculesCommand(Quivane& app, bool numbered = false);
// Bond counts of the current frame into base + "_coord_<current frame>.txt".
int CoordinationCommand(Quivane& app);
// Coordination histogram per frame into base + "_coord.txt", from the current frame on by
// the frame skip through set frame of all data sets; the current frame ends at the last
// frame reached. onStep gets the number of frames written before each move (progress); when
// it returns false the series ends there, on the frame last written.
int CoordinationSeriesCommand(Quivane& app, const std::function<bool(int)>& onStep = {});

// Re-judge bonds: false while a movie plays (the caller shows "Prease stop movie.\n");
// otherwise builds the current frame's bonds of every trajectory with the "BondCutoff"
// setting and returns true (the caller repaints).
bool RejudgeBondsCommand(Quivane& app);
// The same without the movie check and without repainting.
void RebuildAllBondsCommand(Quivane& app);

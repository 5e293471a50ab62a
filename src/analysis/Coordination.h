#pragma once
// Coordination numbers (bond counts) of one frame and as a time series over the frames.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "data/AtomsData.h"

class IMDContainer;

// Bins 0..6 count atoms with that many bonds; bin 7 counts 7 or more.
std::array<int32_t, 8> CoordinationHistogram(const ATOMS_DATA& frame, const BOND_INFO& bonds);

// "#index, Z, coordination" and one "i\tsymbol\tcount" line per atom. Writes nothing when
// the bond list is empty. Returns 1 written, 0 nothing to write, -1 after printing
// "error; open file\n", -2 after "error; write file\n".
int WriteCoordinationFile(const std::string& path, const ATOMS_DATA& frame, const BOND_INFO& bonds);

// The time series: one histogram line per frame, from the container's current frame on,
// advancing by frameSkip through setFrameAll (which moves every data set and returns the
// frame reached). currentFrame is the application's current frame and is left at the last
// frame reached. Stops at the end of the trajectory, and also when a step does not move
// forward (a frame skip of 0 or less would otherwise repeat one frame forever). Returns the
// number of lines written, or -1 after printing "error; open file\n" (nothing moves then),
// -2 after "error; write file\n".
int WriteCoordinationSeries(const std::string& path, IMDContainer& md, int& currentFrame, int frameSkip,
                            const std::function<int(int)>& setFrameAll);

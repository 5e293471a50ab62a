#pragma once
// Conversion of the primary trajectory into the program's own formats: the current frame as
// md3 or fa2, or every frame from the current one on as one md3 file.
#include <functional>
#include <string>

#include "data/AtomsData.h"
#include "data/DataSetList.h"

namespace qv {

// Base name of the data set's path followed by the suffix, in which "%d" is replaced by
// the frame number ("_%d.md3", "_%d.fa2", "_all.md3").
std::string ConversionPath(const std::string& dataPath, const char* suffix, int frame);

// One frame as md3: no title (so "frame = 0"), the frame's box, numbers and positions.
// False when the file cannot be created.
bool WriteFrameMd3(const std::string& path, const ATOMS_DATA& frame);
// One fa2 frame with counter 0, the box block (box then origin), one byte per atomic number
// and the positions; no tag or vector blocks.
bool WriteFrameFa2(const std::string& path, const ATOMS_DATA& frame);

// The current frame of the first data set, named after it with the current frame index.
// They do nothing (false) unless the first data set is a trajectory with a current frame;
// a file that cannot be created is not reported. The written path goes to *written.
bool OutputCurrentFrameMd3(DataSetList& list, int currentFrame, std::string* written = nullptr);
bool OutputCurrentFrameFa2(DataSetList& list, int currentFrame, std::string* written = nullptr);

// Sets every data set to a target frame and returns the largest index reached.
using SetFrameAllFn = std::function<int(int target)>;
// Writes the picture that ends the sequence command, numbered with the frame reached.
using FinalBitmapFn = std::function<void(int frame)>;

struct Md3SequenceResult {
  bool opened = false;  // "_all.md3" was created
  int framesWritten = 0;
  std::string path;
};

// Writes the first data set's current frame, then advances every data set by frameSkip
// through setFrameAll and repeats until an advance ends the trajectory; each frame carries
// the title "converted by Quivane", its box, numbers, positions and its vectors (as second
// vectors) when it has them. currentFrame is left at the last frame reached. Afterwards,
// when any data set is loaded, finalBitmap (if given) is called with the current frame.
Md3SequenceResult OutputMd3Sequence(DataSetList& list, int& currentFrame, int frameSkip,
                                    const SetFrameAllFn& setFrameAll,
                                    const FinalBitmapFn& finalBitmap);

}  // namespace qv

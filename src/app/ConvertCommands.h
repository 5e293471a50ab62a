#pragma once
// The conversion commands of the menu (md3 and fa2 of the current frame, the md3 sequence),
// shared by the viewer and the batch tool.
#include <functional>
#include <string>

#include "app/Quivane.h"
#include "output/Conversion.h"

// The first data set's current frame as BASE_<current frame>.md3 / .fa2. False when there
// is no trajectory or the file cannot be created.
bool ConvertFrameMd3Command(Quivane& app, std::string* writtenPath = nullptr);
bool ConvertFrameFa2Command(Quivane& app, std::string* writtenPath = nullptr);

// Every frame-skip-th frame from the current one to the end into BASE_all.md3, moving every
// data set as stepping does; the current frame is left at the last frame reached. The
// command ends with a bitmap of that frame: the caller passes its bitmap writer as
// finalBitmap (called whenever a data set is loaded, even when nothing was converted).
// onStep gets the number of frames written before each move (progress); when it returns
// false the sequence ends on the frame last written.
qv::Md3SequenceResult ConvertSequenceMd3Command(Quivane& app, const qv::FinalBitmapFn& finalBitmap,
                                                const std::function<bool(int)>& onStep = {});

#pragma once
// Reading a whole md3 file into frames for the trajectory container.
#include <memory>
#include <string>
#include <vector>

#include "data/AtomsData.h"
#include "data/md3/MD3.h"

namespace qv {

// Appends every frame of the md3 file to frames (index = sequence = step = position; a
// frame without a BOX line keeps the box of the frame before it; origin 0). Damaged input
// is reported on stdout and ends the load; the frames before it are kept. Returns 0, or -1
// (nothing printed: the container reports it) when the file cannot be opened or its first
// line is not a positive count.
int LoadMd3Frames(const std::string& path, FrameList& frames);
// The same from an opened reader.
int LoadMd3Frames(vrk::MD3_Reader2<float>& reader, FrameList& frames);

// The load's console lines, one piece of text each, shared by the serial and the parallel
// load: a count the rest of the file cannot hold, a frame without title line, and what is
// said after a frame (how it ended, values that were not finite).
std::string Md3DeclaresTooMany(int frameNo, int count);
std::string Md3NoTitle(int frameNo);
void PrintMd3FrameEnd(int frameNo, int status, int atomsRead, int count, int nonFinite);

}  // namespace qv

#pragma once
// qvtool info and dump for lattice event data, particle event records and gridded point
// data. Each returns -1 when the first data set is of none of these kinds (the caller goes
// on with its own output), else the exit status.
#include <string>

#include "tools/qvtool/QvTool.h"

int InfoReplayKinds(Quivane& app, const ParsedArgs& args);
int DumpReplayKinds(Quivane& app, const ParsedArgs& args);

// One kind each (InfoLattice.cpp, InfoParticleEvents.cpp, InfoGridPoints.cpp).
int InfoLattice(Quivane& app, const ParsedArgs& args);
int DumpLattice(Quivane& app);
int InfoParticleEvents(Quivane& app, const ParsedArgs& args);
int DumpParticleEvents(Quivane& app);
int InfoGridPoints(Quivane& app, const ParsedArgs& args);
int DumpGridPoints(Quivane& app);

namespace qvtool {
// JSON pieces: a number (null when not finite), a string with its escapes, an array.
std::string JsonNumber(double v);
std::string JsonString(const std::string& s);
std::string JsonNumbers(const double* v, int n);
// Writes out when the buffer is large, and at the end.
void Flush(std::string& out, bool force);
// "file:", "type:", "frames:" lines of the text form.
std::string TextHead(const LawData& entry, int frames);
}  // namespace qvtool

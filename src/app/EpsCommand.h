#pragma once
#include <string>

#include "app/Quivane.h"
#include "output/EpsWriter.h"

// Returned when there is nothing to write: no data set, or the first one is not an
// atomistic trajectory with a current frame.
constexpr int kEpsNotApplicable = 1;

// The EPS command: the first data set's current frame as the window shows it (camera,
// projection option, draw size), written beside the data file as <base><frame>.eps.
// Returns an EpsResult or kEpsNotApplicable; writtenPath receives the file name tried.
int WriteEpsCommand(Quivane& app, std::string* writtenPath = nullptr);

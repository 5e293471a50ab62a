#pragma once
// The two STL menu commands, shared by the viewer and the batch tool.
#include <string>

#include "app/Quivane.h"

// "<path of the first data set without its extension>_<current frame>.stl".
std::string StlFileName(const Quivane& app);

// Writes the current frame of the first data set: one sphere per atom, or (grid) the
// closed surface of the grid writer, with the OUTPUT settings. Does nothing and returns
// qv::kStlNoData unless the first data set is a trajectory with a current frame. Otherwise
// returns the writer's result: the number of atoms, or a negative qv::StlResult (a file that
// cannot be opened is not written and nothing is shown). writtenPath receives the name.
int WriteStlCommand(Quivane& app, bool grid, std::string* writtenPath = nullptr);

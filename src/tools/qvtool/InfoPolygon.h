#pragma once
#include "tools/qvtool/QvTool.h"

// info and dump of a polygon model as the first data set: the exit status, or -1 when the
// first data set is of another kind (the command goes on as usual).
int InfoPolygon(Quivane& app, const ParsedArgs& args);
int DumpPolygon(Quivane& app, const ParsedArgs& args);

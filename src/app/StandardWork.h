#pragma once
// Binds the menu commands to the work of the analysis, conversion, EPS and STL layers.
// Bitmaps need a drawing surface and are bound by the program that has one.
#include "app/Commands.h"
#include "app/Quivane.h"

namespace qv::cmd {

void BindStandardWork(Commands& commands, Quivane& app);

}  // namespace qv::cmd

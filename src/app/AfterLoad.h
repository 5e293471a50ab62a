#pragma once
// What follows every load that leaves a data set, in the viewer and in the batch tool alike.
#include "app/Commands.h"
#include "app/MenuState.h"
#include "app/Quivane.h"

namespace qv::cmd {

// With a first data set: the camera fitted to its view bounds, the large-data check with its
// atom count, the settings' colours taken for drawing. The menus (when there are any) are
// enabled for the first data set's type, greyed when none is loaded. The caller refreshes
// the title if it shows one.
void AfterLoad(Quivane& app, ICameraControl& camera, IMenuItemState* menu);

}  // namespace qv::cmd

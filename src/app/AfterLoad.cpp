#include "app/AfterLoad.h"

namespace qv::cmd {

void AfterLoad(Quivane& app, ICameraControl& camera, IMenuItemState* menu) {
  const LawData* first = app.dataSets.First();
  if (first) {
    camera.FitToData();
    app.ApplyLargeDataCheck();
    app.TakeDrawColors();
  }
  if (menu) EnableMenusForType(*menu, first ? first->type : 0);
}

}  // namespace qv::cmd

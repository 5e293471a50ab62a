#include "app/MenuState.h"

#include <algorithm>

#include "app/CommandIds.h"
#include "app/MenuTable.h"

namespace qv::cmd {

WinMenuRadio::WinMenuRadio(IMenuItemState* menu, std::vector<int> ids, std::vector<int> values)
    : menu_(menu), ids_(std::move(ids)), values_(std::move(values)) {
  if (values_.size() < ids_.size()) values_.resize(ids_.size(), -1);
}

void WinMenuRadio::Notify(int, int value) {
  if (!menu_) return;
  for (size_t i = 0; i < ids_.size(); ++i) {
    menu_->SetItemEnabled(ids_[i], true);
    menu_->SetItemChecked(ids_[i], values_[i] == value);
  }
}

void NotifyDistributer::Add(int propertyId, INotifyProperty* listener) {
  if (listener) listeners_.emplace(propertyId, listener);  // equal keys keep insertion order
}

void NotifyDistributer::Notify(int propertyId, int value) {
  auto [begin, end] = listeners_.equal_range(propertyId);
  for (auto it = begin; it != end; ++it) it->second->Notify(propertyId, value);
}

MenuRadioGroups::MenuRadioGroups(IMenuItemState* menu, NotifyDistributer& distributer)
    : distributer_(distributer) {
  struct Group {
    int property;
    std::vector<int> ids;
    std::vector<int> values;
  };
  // The height colour mode (3) has no item: choosing it clears all three marks.
  const Group table[] = {
      {kPropProjection, {kProjectionPerspective, kProjectionOrthographic}, {0, 1}},
      {kPropBox, {kBoxHide, kBoxShow}, {0, 1}},
      {kPropMultiData, {kMultiOverlaid, kMultiSideBySide}, {0, 1}},
      {kPropAtomStyle, {kAtomsHidden, kAtomsPolygons, kAtomsPointSprites}, {0, 1, 2}},
      {kPropBondStyle, {kBondsHide, kBondsShow}, {0, 1}},
      {kPropColorMode, {kColourAtomicNumber, kColourBondCount, kColourPressure}, {0, 1, 2}},
  };
  for (const Group& g : table) {
    groups_.push_back(std::make_unique<WinMenuRadio>(menu, g.ids, g.values));
    distributer_.Add(g.property, groups_.back().get());
  }
}

MenuRadioGroups::~MenuRadioGroups() { distributer_.Clear(); }

void MarkFrameSkip(IMenuItemState& menu, int chosenId) {
  for (int id : FrameSkipIds()) menu.SetItemChecked(id, id == chosenId);
}

void EnableMenusForType(IMenuItemState& menu, int typeCode) {
  // File, Display, Atoms, Scattering, field, Output, Movie; -1 leaves the menu unchanged.
  int on[7];
  switch (typeCode) {
    case 1: case 5: case 6: case 7: {
      const int v[7] = {1, 1, 1, 0, 0, 1, 1};
      std::copy(v, v + 7, on);
      break;
    }
    case 2: {
      const int v[7] = {1, 1, 0, 1, 0, 1, 1};
      std::copy(v, v + 7, on);
      break;
    }
    case 3: {
      const int v[7] = {1, 1, 0, 0, 1, 1, 1};
      std::copy(v, v + 7, on);
      break;
    }
    case 4: {
      const int v[7] = {1, 1, 0, 0, 0, 1, 1};
      std::copy(v, v + 7, on);
      break;
    }
    default: {
      const int v[7] = {-1, -1, 0, 0, 0, 0, 0};
      std::copy(v, v + 7, on);
      break;
    }
  }
  for (int i = 0; i < 7; ++i)
    if (on[i] >= 0) menu.SetTopMenuEnabled(i, on[i] == 1);
  menu.RedrawMenuBar();
}

}  // namespace qv::cmd

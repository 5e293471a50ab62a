#include "app/MenuState.h"

#include <algorithm>

#include "app/CommandIds.h"
#include "app/MenuTable.h"
#include "data/DataTypeRegistry.h"

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
  static_assert(kMenuBitFile == 1u << kMenuFile && kMenuBitMovie == 1u << kMenuMovie,
                "menu bits follow the top menus");
  const DataTypeRow* row = DataTypeRegistry::Instance().ForType(typeCode);
  const uint32_t mask = row ? row->menuMask : DefaultMenuMask(typeCode);
  if (mask == 0) {
    // Nothing loaded (or nothing known): File and Display stay as they are, the data menus
    // go grey.
    for (int i = kMenuAtoms; i <= kMenuMovie; ++i) menu.SetTopMenuEnabled(i, false);
  } else {
    for (int i = kMenuFile; i <= kMenuMovie; ++i) menu.SetTopMenuEnabled(i, (mask >> i) & 1u);
  }
  menu.RedrawMenuBar();
}

}  // namespace qv::cmd

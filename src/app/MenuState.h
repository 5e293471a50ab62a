#pragma once
// Check marks and enabling of the menu, kept in step with the display options without
// knowing which toolkit draws the menu.
#include <map>
#include <memory>
#include <vector>

#include "shell/settings/DisplayOptions.h"

namespace qv::cmd {

// What the command logic needs from a menu. The Qt shell implements it on its actions.
class IMenuItemState {
 public:
  virtual ~IMenuItemState() = default;
  // Every item carrying the id.
  virtual void SetItemChecked(int id, bool checked) = 0;
  virtual void SetItemEnabled(int id, bool enabled) = 0;
  // A top-level menu by position (TopMenu).
  virtual void SetTopMenuEnabled(int index, bool enabled) = 0;
  virtual void RedrawMenuBar() {}
};

// One radio group: on a notification with value v, the item whose value is v gets the
// mark; every other item becomes plain (enabled, no mark).
class WinMenuRadio : public INotifyProperty {
 public:
  WinMenuRadio(IMenuItemState* menu, std::vector<int> ids, std::vector<int> values);
  void Notify(int propertyId, int value) override;
  const std::vector<int>& Ids() const { return ids_; }

 private:
  IMenuItemState* menu_;
  std::vector<int> ids_;
  std::vector<int> values_;
};

// Forwards a notification to every listener registered under its property id, in
// registration order. The display options' one listener.
class NotifyDistributer : public INotifyProperty {
 public:
  void Add(int propertyId, INotifyProperty* listener);
  void Clear() { listeners_.clear(); }
  void Notify(int propertyId, int value) override;

 private:
  std::multimap<int, INotifyProperty*> listeners_;
};

// The six display-option radio groups, registered in a distributer for as long as the
// window lives.
class MenuRadioGroups {
 public:
  MenuRadioGroups(IMenuItemState* menu, NotifyDistributer& distributer);
  ~MenuRadioGroups();
  MenuRadioGroups(const MenuRadioGroups&) = delete;
  MenuRadioGroups& operator=(const MenuRadioGroups&) = delete;

 private:
  NotifyDistributer& distributer_;
  std::vector<std::unique_ptr<WinMenuRadio>> groups_;
};

// Marks the chosen frame-skip item and clears the other eleven.
void MarkFrameSkip(IMenuItemState& menu, int chosenId);

// Enables the top-level menus for the first data set's type code (0: none loaded).
void EnableMenusForType(IMenuItemState& menu, int typeCode);

}  // namespace qv::cmd

#pragma once
// A menu that remembers the state the command logic gave each item.
#include <map>

#include "app/MenuState.h"

class FakeMenu : public qv::cmd::IMenuItemState {
 public:
  void SetItemChecked(int id, bool checked) override { checked_[id] = checked; }
  void SetItemEnabled(int id, bool enabled) override { enabled_[id] = enabled; }
  void SetTopMenuEnabled(int index, bool enabled) override { top_[index] = enabled; }
  void RedrawMenuBar() override { ++redraws; }

  bool Checked(int id) const { auto it = checked_.find(id); return it != checked_.end() && it->second; }
  bool Enabled(int id) const { auto it = enabled_.find(id); return it == enabled_.end() || it->second; }
  // -1 never set, else 0/1.
  int Top(int index) const { auto it = top_.find(index); return it == top_.end() ? -1 : it->second; }
  int redraws = 0;

 private:
  std::map<int, bool> checked_, enabled_, top_;
};

#pragma once
// The menu bar as data: order, captions (Japanese and English), ids, separators and the
// items disabled from the start. The Qt shell builds its menus from it; tests read it.
#include <string>
#include <vector>

namespace qv::cmd {

struct MenuNode {
  int id = 0;                  // command id; 0 for a sub-menu or a separator
  const char* ja = "";
  const char* en = "";
  bool disabled = false;       // greyed from the start and never enabled
  bool separator = false;
  bool checkable = false;      // member of a radio group (check marks)
  std::vector<MenuNode> children;  // non-empty for a sub-menu

  bool IsSubMenu() const { return !children.empty(); }
  const char* Caption(bool english) const { return english ? en : ja; }
};

// Top-level menus in order: File, Display, Atoms and molecules, Scattering trajectories,
// field, Output, Movie, Help. The indexes 0..6 are the ones menu enabling speaks of.
const std::vector<MenuNode>& MenuBar();

enum TopMenu : int {
  kMenuFile = 0,
  kMenuDisplay = 1,
  kMenuAtoms = 2,
  kMenuScattering = 3,
  kMenuField = 4,
  kMenuOutput = 5,
  kMenuMovie = 6,
  kMenuHelp = 7,
};

// Every command id that appears in the menu, in menu order (duplicates kept).
std::vector<int> MenuCommandIds();

// The twelve frame-skip items in menu order.
const std::vector<int>& FrameSkipIds();

// Captions of the open dialog.
const char* OpenDialogTitle(bool english);
const char* OpenDialogSupportedFilter(bool english);  // with its pattern
const char* OpenDialogAllFilter(bool english);

// The extensions (without the dot) of the files this build can load.
std::vector<std::string> LoadableExtensions();
// The open dialog's filter list, entries separated by ";;": the supported-formats entry
// above, one entry for every extension given and one for all of them, then all files.
std::string OpenDialogFilterText(const std::vector<std::string>& extensions, bool english);

// The English caption of a menu command without its mnemonic and dots ("BMP output");
// empty for an id that is not in the menu.
std::string CommandCaption(int id);

}  // namespace qv::cmd

#pragma once
// Which file extension means which kind of data set, and what the rest of the program may ask
// of such a data set without knowing its container class. One table: the loading dispatch,
// the trajectory container's choice of reader, the scene's box rule, the menus and the open
// dialog all read it. Rows are added by one explicit registration call of the application
// layer (static initialisers would be dropped by the linker from static libraries).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataContainer.h"
#include "data/LawData.h"
#include "data/LoadOptions.h"

struct DataTypeRow;

// What an opener gets: the long form of the path (what the entry keeps), the path as the user
// gave it, the loaders' options and the row that matched.
struct OpenRequest {
  const std::string& longPath;
  const std::string& givenPath;
  const LoadOptions& options;
  const DataTypeRow& row;
};

// The container of a new data set, or null when the file yields none (the reader has said
// why on the console).
using DataOpenFn = std::shared_ptr<IDataContainer> (*)(const OpenRequest& request);
// The data set's box: three edge vectors as rows and the origin corner; false when it has none.
using DataGetBoxFn = bool (*)(const LawData& entry, double box[9], double origin[3]);
// Moves the data set towards a target frame (never negative) and returns the index reached.
using DataSetFrameFn = int (*)(LawData& entry, int target);

// Top menus a data set's type enables, bit i for top menu i of the menu bar.
enum MenuBits : uint32_t {
  kMenuBitFile = 1u << 0,
  kMenuBitDisplay = 1u << 1,
  kMenuBitAtoms = 1u << 2,
  kMenuBitScattering = 1u << 3,
  kMenuBitField = 1u << 4,
  kMenuBitOutput = 1u << 5,
  kMenuBitMovie = 1u << 6,
};

// The menus each kind of data set enables: atoms for trajectories and the kinds drawn like
// them, the scattering or field menu for those two kinds; files, display, output and movie
// always. Zero for a code outside 1..7.
uint32_t DefaultMenuMask(int32_t type);

// The readers behind the trajectory rows (the container picks its reader by this).
enum TrajectoryFormat : int {
  kTrajFAD = 1, kTrajFA2, kTrajMD3, kTrajPdb, kTrajXyz, kTrajMd2, kTrajLammps
};

struct DataTypeRow {
  std::vector<std::string> extensions;  // compared exactly, case-sensitively
  int32_t type = 0;                     // DataTypeCode
  int format = 0;       // which reader of the container, for rows sharing one container class
  DataOpenFn open = nullptr;
  DataGetBoxFn getBox = nullptr;
  DataSetFrameFn setFrame = nullptr;
  bool hasBox = true;   // false: the format carries positions only; the picture shows no box
  uint32_t menuMask = 0;  // 0: DefaultMenuMask(type)
};

class DataTypeRegistry {
 public:
  // The table the program uses. Empty until the application's registration call.
  static DataTypeRegistry& Instance();

  // Appends a row. Refused (false, nothing added) when the row names no extension, has no
  // opener, or names an extension another row already has: the first row would always win
  // and the second could never load anything.
  bool Add(DataTypeRow row);

  // The row naming this extension (the text after a path's last '.'), or null.
  const DataTypeRow* Find(std::string_view extension) const;
  // The row for the extension of this path, or null (also for a path without '.').
  const DataTypeRow* FindForPath(std::string_view path) const;
  // The first row of a type code: every row of a type shares its box and frame operations.
  const DataTypeRow* ForType(int32_t type) const;

  const std::vector<DataTypeRow>& Rows() const { return rows_; }
  // Every extension that loads something, in row order.
  std::vector<std::string> Extensions() const;

 private:
  std::vector<DataTypeRow> rows_;
};

namespace qv {
// The trajectory rows (fa2, fad, md3, pdb, xyz, md, md2, and the engine dumps lammpstrj and
// dump), all type 1 through MDLoader.
// Rows already present are left as they are, so calling it twice changes nothing.
void RegisterTrajectoryTypes(DataTypeRegistry& registry);
}  // namespace qv

#pragma once
// The text of a lattice Monte Carlo run: a header (species, grid, box), one INIT line per
// cell, then steps of events. The reader parses; LMC_Holder keeps what it yields.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/text/LineReader.h"

// One change of one count: the occupancy entry and the signed amount added to it.
struct LmcEvent {
  int32_t index = 0;
  int32_t delta = 0;
};

struct LmcStep {
  int32_t eventCount = 0;
  double time = 0;
};

// Header results (0 success).
enum LmcHeaderCode : int {
  kLmcNoFirstLine = -7,
  kLmcNotElements = -8,
  kLmcNoSecondLine = -1,
  kLmcNotGrid = -2,
  kLmcNoThirdLine = -3,
  kLmcNotBox = -4,
  // Refusals of a header that names something the holder cannot hold.
  kLmcTooManySpecies = -9,
  kLmcNoSpecies = -10,
  kLmcBadGridSize = -11,
  kLmcBadBoxNumbers = -12,
  kLmcGridTooLarge = -13,
};

// Initial-state results.
enum LmcInitCode : int { kLmcInitEndsEarly = -5, kLmcInitNotInit = -6 };

// Step results: 0 another step follows, otherwise why reading ended.
enum LmcStepCode : int { kLmcStepsEnd = -1, kLmcStepBadLine = -2, kLmcStepUnknownSpecies = -3 };

class LMC_Reader {
 public:
  static constexpr int kMaxSpecies = 108;

  bool Open(const std::string& path) { return lines_.Open(path); }
  void OpenMemory(std::string_view text) { lines_.OpenMemory(text); }

  // Species, grid and box. A grid whose occupancy (cells x species counts of one byte)
  // would not fit a 32-bit index, or that has more cells than the rest of the file has
  // room for INIT lines, is refused before anything is sized from it.
  int ReadHeader();
  // One INIT line per cell into `occupancy` (OccupancySize() bytes, zeroed by the caller).
  // Afterwards the first STEP line, if any, has been read.
  int ReadInitialState(int8_t* occupancy);
  // Appends the events of the next step and its record; 0 while another step follows.
  // A step without events is not stored and ends the steps.
  int ReadStep(std::vector<LmcEvent>& events, std::vector<LmcStep>& steps);
  // Whether a STEP line followed the initial state.
  bool HasSteps() const { return hasSteps_; }

  int nx = 0, ny = 0, nz = 0;
  double box[9] = {};
  std::vector<std::string> species;
  int SpeciesCount() const { return static_cast<int>(species.size()); }
  uint64_t CellCount() const;
  uint64_t OccupancySize() const { return CellCount() * species.size(); }
  double nextStepTime = 0;

  // Events whose cell lies outside the grid, or whose numbers are missing: skipped.
  int64_t rejectedEvents = 0;
  std::vector<int64_t> rejectedLines;  // the first few, 1-based
  // INIT counts and event deltas beyond the signed byte a count is kept in.
  int64_t outOfRangeCounts = 0;
  // The line that ended reading early (an unknown species, a line that is no event).
  int64_t stopLine = 0;
  uint64_t BytesLeft() const { return lines_.BytesLeft(); }

 private:
  int SpeciesIndex(std::string_view name) const;

  qv::LineReader lines_;
  bool hasSteps_ = false;
};

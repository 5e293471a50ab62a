#pragma once
// A loaded lattice Monte Carlo run: the occupancy of every cell and species, moved forwards
// and backwards by whole steps. The frame index is the number of steps applied.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "auxdata/lmc/LMC_Reader.h"
#include "data/DataContainer.h"
#include "data/PodVector.h"

// Load results (0 success). The reader's own codes say more (HeaderCode(), InitCode(),
// StepCode()); the holder reports codes only, the callers turn them into words.
enum LmcLoadCode : int { kLmcLoaded = 0, kLmcAlreadyLoaded = -1, kLmcCannotOpen = -2, kLmcBadHeader = -3 };

class LMC_Holder : public IDataContainer {
 public:
  // The arrays' first capacities; they grow as the file needs (the numbers only save
  // re-allocations on large runs).
  explicit LMC_Holder(size_t eventCapacity = 1000000, size_t stepCapacity = 1000000);

  int Load(const std::string& path);
  int LoadMemory(std::string_view text);  // text that outlives the call

  // Moves the occupancy to the state after `f` steps (clamped to 0 .. StepCount()) by
  // replaying or undoing whole steps; returns the steps applied.
  int SetFrame(int f);
  void GetBox(double box[9], double origin[3]) const;

  int nx = 0, ny = 0, nz = 0;
  double box[9] = {};
  int SpeciesCount() const { return static_cast<int>(species_.size()); }
  const std::vector<std::string>& Species() const { return species_; }
  // Count of species s in cell c = x + nx (y + ny z) at c * SpeciesCount() + s.
  const qv::PodVector<int8_t>& Occupancy() const { return occupancy_; }
  const std::vector<LmcEvent>& Events() const { return events_; }
  const std::vector<LmcStep>& Steps() const { return steps_; }
  int StepCount() const { return static_cast<int>(steps_.size()); }
  int AppliedSteps() const { return applied_; }
  size_t Cursor() const { return cursor_; }

  int HeaderCode() const { return headerCode_; }
  int InitCode() const { return initCode_; }
  int StepCode() const { return stepCode_; }
  const LMC_Reader* Reader() const { return reader_.get(); }

 private:
  int Read();

  std::unique_ptr<LMC_Reader> reader_;
  std::vector<std::string> species_;
  qv::PodVector<int8_t> occupancy_;
  std::vector<LmcEvent> events_;
  std::vector<LmcStep> steps_;
  int applied_ = 0;
  size_t cursor_ = 0;
  size_t eventCapacity_, stepCapacity_;
  int headerCode_ = 0, initCode_ = 0, stepCode_ = 0;
};

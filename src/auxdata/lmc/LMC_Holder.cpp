#include "auxdata/lmc/LMC_Holder.h"

#include <algorithm>
#include <cstdint>
#include <limits>

LMC_Holder::LMC_Holder(size_t eventCapacity, size_t stepCapacity)
    : eventCapacity_(eventCapacity), stepCapacity_(stepCapacity) {}

int LMC_Holder::Load(const std::string& path) {
  if (reader_) return kLmcAlreadyLoaded;
  reader_ = std::make_unique<LMC_Reader>();
  if (!reader_->Open(path)) return kLmcCannotOpen;
  return Read();
}

int LMC_Holder::LoadMemory(std::string_view text) {
  if (reader_) return kLmcAlreadyLoaded;
  reader_ = std::make_unique<LMC_Reader>();
  reader_->OpenMemory(text);
  return Read();
}

int LMC_Holder::Read() {
  LMC_Reader& r = *reader_;
  headerCode_ = r.ReadHeader();
  if (headerCode_ != 0) return kLmcBadHeader;
  nx = r.nx, ny = r.ny, nz = r.nz;
  std::copy(r.box, r.box + 9, box);
  species_ = r.species;
  // The header check bounded the size by the file's length.
  occupancy_.assign(r.OccupancySize(), 0);
  initCode_ = r.ReadInitialState(occupancy_.data());
  // A broken initial state keeps what was read and has no steps: the lines after it are
  // not where steps would begin.
  if (initCode_ == 0 && r.HasSteps()) {
    // An event line is at least 16 bytes and a step needs one: the file bounds both.
    events_.reserve(std::min<uint64_t>(eventCapacity_, r.BytesLeft() / 16 + 1));
    steps_.reserve(std::min<uint64_t>(stepCapacity_, r.BytesLeft() / 16 + 1));
    do {
      stepCode_ = r.ReadStep(events_, steps_);
    } while (stepCode_ == 0 && steps_.size() < static_cast<size_t>(std::numeric_limits<int32_t>::max()));
  }
  cursor_ = 0;
  applied_ = 0;
  return kLmcLoaded;
}

int LMC_Holder::SetFrame(int f) {
  int8_t* occ = occupancy_.data();
  // Counts wrap as signed bytes do; adding and subtracting in unsigned arithmetic keeps
  // undoing a step the exact inverse of applying it.
  const auto add = [occ](const LmcEvent& ev, int sign) {
    uint8_t& v = reinterpret_cast<uint8_t&>(occ[ev.index]);
    const uint32_t d = static_cast<uint32_t>(ev.delta);
    v = static_cast<uint8_t>(sign > 0 ? v + d : v - d);
  };
  if (f < applied_) {
    f = std::max(f, 0);
    while (applied_ > f) {
      const LmcStep& step = steps_[static_cast<size_t>(applied_ - 1)];
      for (int32_t k = 0; k < step.eventCount; ++k) add(events_[--cursor_], -1);
      --applied_;
    }
  } else {
    f = std::min(f, StepCount());
    while (applied_ < f) {
      const LmcStep& step = steps_[static_cast<size_t>(applied_)];
      for (int32_t k = 0; k < step.eventCount; ++k) add(events_[cursor_++], +1);
      ++applied_;
    }
  }
  return applied_;
}

void LMC_Holder::GetBox(double b[9], double origin[3]) const {
  std::copy(box, box + 9, b);
  std::fill(origin, origin + 3, 0.0);
}

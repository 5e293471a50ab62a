#include "auxdata/lmc/LMC_Reader.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "data/text/NumberScan.h"

namespace {

using qv::scan::Word;

constexpr size_t kRememberedRejects = 8;

bool InSignedByte(int64_t v) { return v >= -128 && v <= 127; }

}  // namespace

uint64_t LMC_Reader::CellCount() const {
  if (nx <= 0 || ny <= 0 || nz <= 0) return 0;
  return static_cast<uint64_t>(nx) * static_cast<uint64_t>(ny) * static_cast<uint64_t>(nz);
}

int LMC_Reader::SpeciesIndex(std::string_view name) const {
  for (size_t i = 0; i < species.size(); ++i) {
    if (species[i] == name) return static_cast<int>(i);
  }
  return -1;
}

int LMC_Reader::ReadHeader() {
  std::string_view line;
  if (!lines_.Next(line)) return kLmcNoFirstLine;
  const char* p = line.data();
  const char* e = p + line.size();
  if (Word(p, e) != "ELEMENTS") return kLmcNotElements;
  for (std::string_view name = Word(p, e); !name.empty(); name = Word(p, e)) {
    if (species.size() == kMaxSpecies) return kLmcTooManySpecies;
    species.emplace_back(name);
  }
  if (species.empty()) return kLmcNoSpecies;

  if (!lines_.Next(line)) return kLmcNoSecondLine;
  p = line.data();
  e = p + line.size();
  if (Word(p, e) != "GRID") return kLmcNotGrid;
  int n[3] = {0, 0, 0};
  for (int& v : n) {
    p = qv::scan::Int(p, e, v);
    if (!p || v <= 0) return kLmcBadGridSize;
  }
  nx = n[0], ny = n[1], nz = n[2];

  if (!lines_.Next(line)) return kLmcNoThirdLine;
  p = line.data();
  e = p + line.size();
  if (Word(p, e) != "BOX") return kLmcNotBox;
  for (double& v : box) {
    p = qv::scan::Real(p, e, v);
    if (!p || !std::isfinite(v)) return kLmcBadBoxNumbers;
  }

  // Every cell needs an INIT line of at least "INIT" and a line end.
  const uint64_t cells = CellCount();
  const uint64_t room = lines_.BytesLeft() / 5 + 1;
  if (cells > room || OccupancySize() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    return kLmcGridTooLarge;
  }
  return 0;
}

int LMC_Reader::ReadInitialState(int8_t* occupancy) {
  const uint64_t cells = CellCount();
  const size_t s = species.size();
  std::string_view line;
  for (uint64_t c = 0; c < cells; ++c) {
    if (!lines_.Next(line)) return kLmcInitEndsEarly;
    const char* p = line.data();
    const char* e = p + line.size();
    if (Word(p, e) != "INIT") return kLmcInitNotInit;
    for (;;) {
      const int k = SpeciesIndex(Word(p, e));
      if (k < 0) break;
      int count = 0;
      p = qv::scan::Int(p, e, count);
      if (!p) break;
      if (!InSignedByte(count)) ++outOfRangeCounts;
      occupancy[c * s + static_cast<size_t>(k)] = static_cast<int8_t>(count);
    }
  }
  if (!lines_.Next(line)) return 0;
  const char* p = line.data();
  const char* e = p + line.size();
  if (Word(p, e) != "STEP") return 0;
  double t = 0;
  if (qv::scan::Real(p, e, t)) nextStepTime = t;
  hasSteps_ = true;
  return 0;
}

int LMC_Reader::ReadStep(std::vector<LmcEvent>& events, std::vector<LmcStep>& steps) {
  const double time = nextStepTime;
  const size_t first = events.size();
  const int64_t s = static_cast<int64_t>(species.size());
  int result = kLmcStepsEnd;
  std::string_view line;
  while (lines_.Next(line)) {
    const char* p = line.data();
    const char* e = p + line.size();
    const std::string_view head = Word(p, e);
    if (head == "STEP") {
      double t = 0;
      nextStepTime = qv::scan::Real(p, e, t) ? t : 0.0;
      result = 0;
      break;
    }
    if (head != "EVENT") {
      stopLine = lines_.LineNumber();
      result = kLmcStepBadLine;
      break;
    }
    int xyz[3] = {-1, -1, -1};
    bool numbers = true;
    for (int& v : xyz) {
      const char* q = qv::scan::Int(p, e, v);
      if (!q) {
        numbers = false;
        break;
      }
      p = q;
    }
    const int k = numbers ? SpeciesIndex(Word(p, e)) : 0;
    if (numbers && k < 0) {
      stopLine = lines_.LineNumber();
      result = kLmcStepUnknownSpecies;
      break;
    }
    int delta = 0;
    const bool inGrid = numbers && xyz[0] >= 0 && xyz[0] < nx && xyz[1] >= 0 && xyz[1] < ny &&
                        xyz[2] >= 0 && xyz[2] < nz;
    if (!inGrid || !qv::scan::Int(p, e, delta)) {
      ++rejectedEvents;
      if (rejectedLines.size() < kRememberedRejects) rejectedLines.push_back(lines_.LineNumber());
      continue;
    }
    if (!InSignedByte(delta)) ++outOfRangeCounts;
    const int64_t cell = xyz[0] + int64_t{nx} * (xyz[1] + int64_t{ny} * xyz[2]);
    events.push_back({static_cast<int32_t>(cell * s + k), delta});
  }
  const size_t count = events.size() - first;
  if (count == 0) return result == 0 ? kLmcStepsEnd : result;
  steps.push_back({static_cast<int32_t>(count), time});
  return result;
}

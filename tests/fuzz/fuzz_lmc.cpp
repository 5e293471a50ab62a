// Lattice event data from arbitrary bytes, stepped forwards and backwards.
#include <cstdlib>
#include <string_view>

#include "FuzzCommon.h"
#include "auxdata/lmc/LMC_Holder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  LMC_Holder h(4, 2);
  h.LoadMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  // Every stored event must address the occupancy.
  for (const LmcEvent& e : h.Events()) {
    if (e.index < 0 || static_cast<size_t>(e.index) >= h.Occupancy().size()) std::abort();
  }
  const auto before = h.Occupancy();
  h.SetFrame(h.StepCount());
  h.SetFrame(h.StepCount() / 2);
  h.SetFrame(-1);
  if (h.Occupancy() != before || h.Cursor() != 0) std::abort();  // undoing restores frame 0
  return 0;
}

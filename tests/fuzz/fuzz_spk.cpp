// Site-and-path files from arbitrary bytes: the frame's arrays match its atom count and every
// bond joins two of its atoms.
#include "FuzzCommon.h"
#include "auxdata/spk/SPK_Container.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SPK_Reader r;
  if (r.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.spk") != 0)
    return 0;
  SPK_Container c(r);
  ATOMS_DATA* f = c.GetCurrentFrame();
  if (!f) std::abort();
  const BOND_INFO* b = c.GetBonds();
  for (int32_t k = 0; k < b->bondCount; ++k) {
    const BOND_ENTRY& e = b->entries[static_cast<size_t>(k)];
    if (e.i < 0 || e.j < 0 || e.i >= f->atomCount || e.j >= f->atomCount) std::abort();
  }
  if (f->positions.size() != 3 * static_cast<size_t>(f->atomCount) ||
      b->counts.size() != static_cast<size_t>(f->atomCount)) {
    std::abort();
  }
  return 0;
}

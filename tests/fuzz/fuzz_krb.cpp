// Particle event records from arbitrary bytes, replayed at several frames.
#include <cstdlib>
#include <string_view>

#include "FuzzCommon.h"
#include "auxdata/krb/KrbReplay.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  KRB_Reader k(size > 0 && (data[0] & 1));
  if (k.ReadMemory(std::string_view(reinterpret_cast<const char*>(data), size)) != kKrbRead) return 0;
  KrbReplay replay;
  for (int f : {k.FrameLimit(), 0, k.FrameLimit() / 2, -1, 1 << 30}) {
    k.SetFrame(f);
    if (k.VisibleCount() > k.Records().size()) std::abort();
    replay.Run(k, f & 7);
    if (replay.Live().Size() > k.VisibleCount()) std::abort();
  }
  return 0;
}

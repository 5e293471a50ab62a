// md2 frames from arbitrary bytes.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qvfuzz::FuzzText(data, size, qv::TextFormat::kMd2);
}

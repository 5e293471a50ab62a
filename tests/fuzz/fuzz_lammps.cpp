#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvfuzz::LoadAndStep(data, size, "lammpstrj");
  return 0;
}

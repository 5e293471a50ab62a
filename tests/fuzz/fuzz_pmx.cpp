// libFuzzer target of the pmx model reader.
#include "FuzzPoly.h"
#include "auxdata/poly/PMXLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qvfuzz::FuzzModel<PMXLoader>(data, size);
}

// libFuzzer target of the mqo model reader.
#include "FuzzPoly.h"
#include "auxdata/poly/MQOLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qvfuzz::FuzzModel<MQOLoader>(data, size);
}

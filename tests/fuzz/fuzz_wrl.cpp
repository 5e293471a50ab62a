// libFuzzer target of the wrl model reader.
#include "FuzzPoly.h"
#include "auxdata/poly/VRMLLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qvfuzz::FuzzModel<VRMLLoader>(data, size);
}

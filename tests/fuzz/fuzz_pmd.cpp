// libFuzzer target of the pmd model reader.
#include "FuzzPoly.h"
#include "auxdata/poly/PMDLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return qvfuzz::FuzzModel<PMDLoader>(data, size);
}

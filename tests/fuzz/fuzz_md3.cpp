// md3 frames from arbitrary bytes: every frame kept must have its arrays sized to its count.
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "FuzzCommon.h"
#include "data/md3/MD3Load.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vrk::MD3_Reader2<float> reader;
  if (reader.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size)) != 0) return 0;
  qv::FrameList frames;
  qv::LoadMd3Frames(reader, frames);
  qvfuzz::CheckFrames(frames, 1);  // non-finite values are stored as 0
  return 0;
}

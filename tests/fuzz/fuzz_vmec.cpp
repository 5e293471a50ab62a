// Gridded point data from arbitrary bytes: the text up to the first NUL byte is the header,
// the rest is the content of the file "d" beside it, which the header may name for any of
// its coordinate and data files.
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzCommon.h"
#include "auxdata/vmec/VMEC_Repository.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const void* nul = std::memchr(data, 0, size);
  const size_t headerSize = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
  if (!qvfuzz::WriteTempFile(data, headerSize, "vmec")) return 0;
  const std::string& header = qvfuzz::TempPath("vmec");
  const std::string folder = header.substr(0, header.rfind('/') + 1);
  static const std::string binary = folder + "d";
  std::FILE* f = std::fopen(binary.c_str(), "wb");
  if (!f) return 0;
  if (nul) std::fwrite(data + headerSize + 1, 1, size - headerSize - 1, f);
  std::fclose(f);
  VMEC_Repository v;
  if (v.Load(header) == kVmecLoaded) {
    if (v.Points().size() != v.PointCount() * static_cast<uint64_t>(v.Stride())) std::abort();
    v.SetFrame(v.FrameCount());
    v.SetFrame(1);
    v.SetFrame(0);
  }
  return 0;
}

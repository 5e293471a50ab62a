#pragma once
// Shared body of the binary-trajectory fuzz targets: the input becomes a file with the
// given extension, loaded through MDLoader and stepped through, jumped over and back.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "data/MDLoader.h"

namespace qvfuzz {

inline const std::string& TempPath(const char* extension) {
  static std::string path;
  if (path.empty()) {
    std::string pattern = "/tmp/qv-fuzz-XXXXXX." + std::string(extension);
    const int suffix = static_cast<int>(std::string(extension).size()) + 1;
    const int fd = mkstemps(pattern.data(), suffix);
    if (fd >= 0) close(fd);
    path = pattern;
    std::atexit([] { unlink(path.c_str()); });
  }
  return path;
}

inline void LoadAndStep(const uint8_t* data, size_t size, const char* extension) {
  const std::string& path = TempPath(extension);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);

  LoadOptions options;
  options.buildBonds = [](ATOMS_DATA& frame, double) { frame.bonds.bondCount = frame.atomCount; };
  MDLoader m(options);
  m.Open(path);
  m.PinSlot(0);
  for (int k = 0; k < 256; ++k) {
    const int before = m.GetFrameIndex();
    if (ATOMS_DATA* a = m.GetCurrentFrame()) {
      // Touch every array the reader sized, so a wrong size shows as an overflow.
      volatile float sink = 0;
      if (!a->positions.empty()) sink = a->positions.back();
      if (!a->atomicNumbers.empty()) sink = static_cast<float>(a->atomicNumbers.back());
      (void)sink;
    }
    m.GetBonds();
    if (m.SetFrame(before + 1) == before) break;
  }
  m.SetFrame(m.GetFrameIndex() + 1000);
  m.SetFrame(1);
  m.GetCurrentFrame();
  m.SetFrame(-1);
  double box[9], origin[3];
  m.GetBox(box, origin);
}

}  // namespace qvfuzz

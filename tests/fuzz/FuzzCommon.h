#pragma once
// Shared bodies of the loader fuzz targets: the input written to a private temporary file,
// the binary trajectories loaded through MDLoader and stepped through, the text formats read
// from memory or a file, and the check that every frame kept has arrays sized to its count.
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/DataTypeRegistry.h"
#include "data/MDLoader.h"
#include "data/text/TextFrames.h"

namespace qvfuzz {

// One file per process, removed at exit.
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

// The bytes as the content of TempPath(extension); false when it cannot be written.
inline bool WriteTempFile(const uint8_t* data, size_t size, const char* extension) {
  std::FILE* f = std::fopen(TempPath(extension).c_str(), "wb");
  if (!f) return false;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  return true;
}

inline void CheckFrames(const qv::FrameList& frames, int minAtoms) {
  for (const auto& f : frames) {
    if (f->atomCount < minAtoms || f->positions.size() != 3 * static_cast<size_t>(f->atomCount) ||
        f->atomicNumbers.size() != static_cast<size_t>(f->atomCount)) {
      std::abort();
    }
    for (float v : f->positions) {
      if (!std::isfinite(v)) std::abort();
    }
  }
}

inline void LoadAndStep(const uint8_t* data, size_t size, const char* extension) {
  if (!WriteTempFile(data, size, extension)) return;

  // The program's extension table, as the application registers it.
  static const bool registered = [] {
    qv::RegisterTrajectoryTypes(DataTypeRegistry::Instance());
    return true;
  }();
  (void)registered;
  LoadOptions options;
  options.buildBonds = [](ATOMS_DATA& frame, double) { frame.bonds.bondCount = frame.atomCount; };
  MDLoader m(options);
  m.Open(TempPath(extension));
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

// Even first byte: the text from memory. Odd: from a file through a small block buffer, so
// lines that straddle blocks and lines longer than the buffer are exercised.
inline int FuzzText(const uint8_t* data, size_t size, qv::TextFormat format) {
  static const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  qv::FrameList frames;
  int largest = 0;
  if (size > 0 && (data[0] & 1)) {
    if (!WriteTempFile(data + 1, size - 1, "txt")) return 0;
    qv::LineReader lines(64);
    if (!lines.Open(TempPath("txt"))) return 0;
    qv::LoadTextFrames(lines, format, box, frames, largest);
  } else {
    qv::LineReader lines;
    lines.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
    qv::LoadTextFrames(lines, format, box, frames, largest);
  }
  CheckFrames(frames, 0);
  return 0;
}

}  // namespace qvfuzz

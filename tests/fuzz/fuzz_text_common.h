#pragma once
// Shared body of the pdb, xyz and md2 fuzz targets.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/text/TextFrames.h"

inline void CheckFrames(const qv::FrameList& frames) {
  for (const auto& f : frames) {
    if (f->atomCount < 0 || f->positions.size() != 3 * static_cast<size_t>(f->atomCount) ||
        f->atomicNumbers.size() != static_cast<size_t>(f->atomCount)) {
      std::abort();
    }
    for (float v : f->positions) {
      if (!std::isfinite(v)) std::abort();
    }
  }
}

// Even first byte: the text from memory. Odd: from a file through a small block buffer, so
// lines that straddle blocks and lines longer than the buffer are exercised.
inline int FuzzText(const uint8_t* data, size_t size, qv::TextFormat format) {
  static const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  qv::FrameList frames;
  int largest = 0;
  if (size > 0 && (data[0] & 1)) {
    static const std::string path = "/tmp/qv_fuzz_text_" + std::to_string(getpid());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    qv::LineReader lines(64);
    if (!lines.Open(path)) return 0;
    qv::LoadTextFrames(lines, format, box, frames, largest);
  } else {
    qv::LineReader lines;
    lines.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
    qv::LoadTextFrames(lines, format, box, frames, largest);
  }
  CheckFrames(frames);
  return 0;
}

#pragma once
// fa2 trajectories written for the benchmarks that read or play them.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace qvbench {

// Frames of n atoms on a grid `side` atoms wide inside a cubic box of edge `side`, written
// with a float box, byte atomic numbers (every third atom oxygen, the rest hydrogen) and float
// positions. Frame k has every atom moved `drift * k` along x.
inline void WriteFa2(const std::string& path, int32_t n, int frames, int side, float drift) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::vector<unsigned char> numbers(n);
  std::vector<float> xyz(3 * static_cast<size_t>(n));
  const float edge = static_cast<float>(side);
  const float box[12] = {edge, 0, 0, 0, edge, 0, 0, 0, edge, 0, 0, 0};
  for (int k = 0; k < frames; ++k) {
    for (int32_t i = 0; i < n; ++i) {
      numbers[i] = i % 3 == 0 ? 8 : 1;
      xyz[3 * i] = static_cast<float>(i % side) + drift * k;
      xyz[3 * i + 1] = static_cast<float>((i / side) % side);
      xyz[3 * i + 2] = static_cast<float>(i / (side * side));
    }
    unsigned char header[32] = {};
    std::memcpy(header, &n, 4);
    std::memcpy(header + 4, &k, 4);
    header[8] = 4;
    header[9] = 1;
    header[11] = 4;
    std::fwrite(header, 1, 32, f);
    std::fwrite(box, 1, sizeof box, f);
    std::fwrite(numbers.data(), 1, numbers.size(), f);
    std::fwrite(xyz.data(), sizeof(float), xyz.size(), f);
  }
  std::fclose(f);
}

}  // namespace qvbench

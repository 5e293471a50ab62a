#pragma once
// Small fa2 trajectories for the analysis command tests: box as floats, atomic numbers as
// int32, positions as floats.
#include <array>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace fa2test {

struct Atom {
  int z;
  float x, y, z_;
};

inline void AppendFrame(qvtest::Bytes& b, int counter, const std::array<float, 12>& box, const std::vector<Atom>& atoms) {
  b.Put<int32_t>(static_cast<int32_t>(atoms.size())).Put<int32_t>(counter);
  b.Put<uint8_t>(4).Put<uint8_t>(4).Put<uint8_t>(0).Put<uint8_t>(4).Put<uint8_t>(0).Put<uint8_t>(0);
  b.Zeros(18);
  for (float v : box) b.Put<float>(v);
  for (const auto& a : atoms) b.Put<int32_t>(a.z);
  for (const auto& a : atoms) b.Put<float>(a.x).Put<float>(a.y).Put<float>(a.z_);
}

// Three water molecules (O-H 0.96) in a 30 Angstrom box, shifted by dx per frame; frame k
// of `frames` adds k free hydrogen atoms.
inline std::string WriteWaters(const std::string& path, int frames) {
  qvtest::Bytes b;
  const std::array<float, 12> box = {30, 0, 0, 0, 30, 0, 0, 0, 30, 0, 0, 0};
  for (int k = 0; k < frames; ++k) {
    std::vector<Atom> atoms;
    for (int m = 0; m < 3; ++m) {
      const float x = 2 + 8.0f * m;
      atoms.push_back({8, x, 5, 5});
      atoms.push_back({1, x + 0.96f, 5, 5});
      atoms.push_back({1, x, 5.96f, 5});
    }
    for (int h = 0; h < k; ++h) atoms.push_back({1, 3 + 5.0f * h, 20, 20});
    AppendFrame(b, k, box, atoms);
  }
  qvtest::WriteFile(path, b.data);
  return path;
}

}  // namespace fa2test

#pragma once
// Byte-level builders of fa2 and fad frames, shared by the data, analysis and tool tests.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace qvtest {

inline Bytes& Fa2Header(Bytes& b, int32_t n, int32_t counter, std::initializer_list<uint8_t> w) {
  b.Put<int32_t>(n).Put<int32_t>(counter);
  int k = 0;
  for (uint8_t v : w) {
    b.Put<uint8_t>(v);
    ++k;
  }
  return b.Zeros(32 - 8 - k);
}

// A plain fa2 frame: float box, byte atomic numbers, float positions.
inline Bytes& Fa2Frame(Bytes& b, int32_t counter, const std::vector<int>& numbers,
                       const std::vector<float>& xyz, float boxEdge) {
  Fa2Header(b, static_cast<int32_t>(numbers.size()), counter, {4, 1, 0, 4, 0, 0});
  const float box[12] = {boxEdge, 0, 0, 0, boxEdge, 0, 0, 0, boxEdge, 0, 0, 0};
  for (float v : box) b.Put<float>(v);
  for (int z : numbers) b.Put<int8_t>(static_cast<int8_t>(z));
  for (float v : xyz) b.Put<float>(v);
  return b;
}

// One fad record: length, payload, length.
template <class T>
Bytes& FadRecord(Bytes& b, const std::vector<T>& payload) {
  const int32_t len = static_cast<int32_t>(payload.size() * sizeof(T));
  b.Put<int32_t>(len);
  for (const T& v : payload) b.Put<T>(v);
  return b.Put<int32_t>(len);
}

inline Bytes& FadHeader(Bytes& b, int32_t n, int32_t m, int32_t flags) {
  return FadRecord<int32_t>(b, {n, m, flags});
}

// The start of a one-atom fad frame: the header with the given flags, atomic number 8 and
// the three coordinate records each holding v. Box and further records are the caller's.
inline Bytes& FadOneAtom(Bytes& b, int32_t flags, float v) {
  FadHeader(b, 1, 0, flags);
  FadRecord<int32_t>(b, {8});
  for (int c = 0; c < 3; ++c) FadRecord<float>(b, {v});
  return b;
}

}  // namespace qvtest

// Small fa2 trajectories for the analysis command tests: box as floats, atomic numbers as
// int32, positions as floats.
namespace fa2test {

struct Atom {
  int z;
  float x, y, z_;
};

inline void AppendFrame(qvtest::Bytes& b, int counter, const std::array<float, 12>& box, const std::vector<Atom>& atoms) {
  qvtest::Fa2Header(b, static_cast<int32_t>(atoms.size()), counter, {4, 4, 0, 4, 0, 0});
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

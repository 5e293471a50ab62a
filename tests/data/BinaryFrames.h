#pragma once
// Byte-level builders of fa2 and fad frames for the tests.
#include <cstdint>
#include <initializer_list>
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

}  // namespace qvtest

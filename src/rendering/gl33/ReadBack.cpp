#include "rendering/gl33/ReadBack.h"

#include <cmath>
#include <cstring>

namespace qvgl33 {

float HalfToFloat(uint16_t h) {
  const uint32_t sign = static_cast<uint32_t>(h & 0x8000u) << 16;
  const uint32_t exponent = (h >> 10) & 0x1Fu;
  const uint32_t mantissa = h & 0x3FFu;
  float value;
  if (exponent == 0) {
    value = std::ldexp(static_cast<float>(mantissa), -24);  // zero and subnormals
  } else if (exponent == 31) {
    value = mantissa ? std::nanf("") : INFINITY;
  } else {
    uint32_t bits = (exponent + 112) << 23 | mantissa << 13;
    std::memcpy(&value, &bits, sizeof value);
  }
  return sign ? -value : value;
}

uint8_t HalfToByte(uint16_t half) {
  const float v = HalfToFloat(half);
  if (!(v > 0.0f)) return 0;  // negative, zero and NaN
  const float p = std::pow(v, 0.45454544f);
  if (p > 1.0f) return 255;
  return static_cast<uint8_t>(p * 255.0f);
}

void RowToBgr(const void* rgba, size_t pixels, bool half, uint8_t* bgr) {
  if (half) {
    const uint16_t* in = static_cast<const uint16_t*>(rgba);
    for (size_t x = 0; x < pixels; ++x) {
      bgr[3 * x] = HalfToByte(in[4 * x + 2]);
      bgr[3 * x + 1] = HalfToByte(in[4 * x + 1]);
      bgr[3 * x + 2] = HalfToByte(in[4 * x]);
    }
    return;
  }
  const uint8_t* in = static_cast<const uint8_t*>(rgba);
  for (size_t x = 0; x < pixels; ++x) {
    bgr[3 * x] = in[4 * x + 2];
    bgr[3 * x + 1] = in[4 * x + 1];
    bgr[3 * x + 2] = in[4 * x];
  }
}

}  // namespace qvgl33

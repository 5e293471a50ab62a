#pragma once
// The conversion of read-back pixels into the bitmap's bytes. Pure arithmetic, no GL.
#include <cstddef>
#include <cstdint>

namespace qvgl33 {

// IEEE 754 binary16 to single precision (subnormals, infinities and NaN included).
float HalfToFloat(uint16_t half);
// A half-precision channel as a bitmap byte: raised to the power 0.45454544, 255 above 1,
// otherwise the result times 255 truncated; 0 for negative values and NaN.
uint8_t HalfToByte(uint16_t half);
// One row of RGBA pixels (8-bit, or half floats when `half`) as blue, green, red bytes.
void RowToBgr(const void* rgba, size_t pixels, bool half, uint8_t* bgr);

}  // namespace qvgl33

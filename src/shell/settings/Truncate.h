#pragma once
#include <limits>

namespace qv {

// Truncation toward zero that saturates instead of overflowing; NaN gives 0.
inline int TruncateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace qv

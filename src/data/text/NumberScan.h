#pragma once
// In-place scanning of words and numbers on one line, with the semantics of the classic
// formatted readers: words are separated by space, tab, CR and LF; a number is read from
// the longest prefix that fits and scanning continues at the first character that does not.
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

namespace qv::scan {

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

inline const char* SkipSpace(const char* p, const char* e) {
  while (p < e && IsSpace(*p)) ++p;
  return p;
}

inline const char* SkipWord(const char* p, const char* e) {
  while (p < e && !IsSpace(*p)) ++p;
  return p;
}

// Next word at or after p; empty when none. p moves past the word.
inline std::string_view Word(const char*& p, const char* e) {
  p = SkipSpace(p, e);
  const char* w = p;
  p = SkipWord(p, e);
  return std::string_view(w, static_cast<size_t>(p - w));
}

// Appends the run of decimal digits at p to m (m = 10 m + digit, wrapping past 2^64) and
// returns how many there were. Eight bytes at a time where eight are left: the run's length
// comes from the first byte that is not a digit, without a branch per digit.
inline int Digits(const char*& p, const char* e, uint64_t& m) {
  static constexpr uint64_t kPow10[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  int count = 0;
  while (e - p >= 8) {
    uint64_t x;
    std::memcpy(&x, p, 8);
    const uint64_t t = x - 0x3030303030303030u;
    // High bit of each byte that is no digit; bytes before the first such one are digits,
    // so no carry or borrow reaches it from them.
    const uint64_t other = ((x + 0x4646464646464646u) | t) & 0x8080808080808080u;
    const int k = other ? std::countr_zero(other) / 8 : 8;
    if (k == 0) return count;
    uint64_t v = k == 8 ? t : t << (8 * (8 - k));  // the run's digits, zero digits before them
    v = v * 10 + (v >> 8);
    v = (((v & 0x000000FF000000FFu) * 0x000F424000000064u) +
         (((v >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u)) >> 32;
    m = m * kPow10[k] + static_cast<uint32_t>(v);
    p += k;
    count += k;
    if (k < 8) return count;
  }
  while (p < e && static_cast<unsigned>(*p - '0') < 10) {
    m = m * 10 + static_cast<unsigned>(*p - '0');
    ++p;
    ++count;
  }
  return count;
}

// Decimal "ddd.ddd[e[+-]dd]" with at most 19 digits whose value m * 10^e has m at most
// 2^53 and |e| <= 22: m and 10^e are exact doubles, so one multiplication or division
// gives the correctly rounded value, the same double from_chars gives. Returns nullptr
// for anything else, which the caller leaves to from_chars.
inline const char* FastDecimal(const char* q, const char* e, double& out) {
  static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* p = q;
  uint64_t m = 0;
  // Leading zeros count too: a number with that many is rare and still read right below.
  int digits = Digits(p, e, m);
  const bool intPart = digits > 0;
  int scale = 0;
  if (p < e && *p == '.') {
    ++p;
    const int fraction = Digits(p, e, m);
    if (!intPart && fraction == 0) return nullptr;
    digits += fraction;
    scale = -fraction;
  } else if (!intPart) {
    return nullptr;
  }
  if (digits > 19) return nullptr;
  if (p < e && (*p == 'e' || *p == 'E')) {
    const char* x = p + 1;
    bool negative = false;
    if (x < e && (*x == '+' || *x == '-')) negative = *x++ == '-';
    if (x < e && static_cast<unsigned>(*x - '0') < 10) {
      int ex = 0;
      while (x < e && static_cast<unsigned>(*x - '0') < 10) {
        if (ex > 10000) return nullptr;
        ex = ex * 10 + (*x - '0');
        ++x;
      }
      scale += negative ? -ex : ex;
      p = x;
    }
  }
  if (m > (uint64_t{1} << 53)) return nullptr;
  if (m == 0) {
    out = 0.0;
  } else if (scale >= 0 && scale <= 22) {
    out = static_cast<double>(m) * kPow10[scale];
  } else if (scale < 0 && scale >= -22) {
    out = static_cast<double>(m) / kPow10[-scale];
  } else {
    return nullptr;
  }
  return p;
}

// A real number at p (leading whitespace skipped, optional sign, decimal digits, point,
// exponent, "inf", "nan"). Returns the first character after it, or nullptr when no number
// starts there. Out-of-range values give +-infinity or 0 as the classic conversion does.
inline const char* Real(const char* p, const char* e, double& out) {
  p = SkipSpace(p, e);
  if (p == e) return nullptr;
  bool negative = false;
  const char* q = p;
  if (*q == '+' || *q == '-') {
    negative = *q == '-';
    ++q;
    if (q == e || *q == '+' || *q == '-') return nullptr;
  }
  double v = 0;
  if (const char* end = FastDecimal(q, e, v)) {
    out = negative ? -v : v;
    return end;
  }
  auto [end, ec] = std::from_chars(q, e, v, std::chars_format::general);
  if (ec == std::errc::invalid_argument) return nullptr;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves v untouched; tell overflow from underflow by the exponent's sign.
    const char* x = q;
    while (x < end && *x != 'e' && *x != 'E') ++x;
    const bool tiny = x + 1 < end && x[1] == '-';
    v = tiny ? 0.0 : HUGE_VAL;
  }
  out = negative ? -v : v;
  return end;
}

// An integer at p, "%d" style: whitespace, optional sign, digits. Values beyond the int
// range saturate. nullptr when no digit follows.
inline const char* Int(const char* p, const char* e, int& out) {
  p = SkipSpace(p, e);
  if (p == e) return nullptr;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (p == e || *p < '0' || *p > '9') return nullptr;
  int64_t v = 0;
  while (p < e && *p >= '0' && *p <= '9') {
    if (v <= INT_MAX) v = v * 10 + (*p - '0');
    ++p;
  }
  if (negative) v = -v;
  out = static_cast<int>(v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : v));
  return p;
}

// A real number taken from one word alone ("atof" of the word): 0 when the word does not
// begin with a number.
inline double WordReal(std::string_view w) {
  double v = 0;
  if (!Real(w.data(), w.data() + w.size(), v)) return 0;
  return v;
}

}  // namespace qv::scan

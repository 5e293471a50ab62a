#pragma once
// In-place scanning of words and numbers on one line, with the semantics of the classic
// formatted readers: words are separated by space, tab, CR and LF; a number is read from
// the longest prefix that fits and scanning continues at the first character that does not.
#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace detail {

inline uint64_t Load8(const char* p) {
  uint64_t x;
  std::memcpy(&x, p, 8);
  return x;
}

// The value of the eight digits of v (the characters minus '0', the first one in the lowest
// byte).
inline uint64_t EightDigits(uint64_t v) {
  v = v * 10 + (v >> 8);
  return (((v & 0x000000FF000000FFu) * 0x000F424000000064u) +
          (((v >> 16) & 0x000000FF000000FFu) * 0x0000271000000001u)) >> 32;
}

// The value of the first k (0 to 8) digits of t.
inline uint64_t DigitValue(uint64_t t, int k) {
  // Zero digits before the k; two shifts, as one of 64 bits is undefined.
  return EightDigits((t << (32 - 4 * k)) << (32 - 4 * k));
}

}  // namespace detail

// Words of one line found by bit operations on its bytes, all classified at once, instead of
// by a pass over each byte: the words Word() gives, in the same order. Each word after the
// line's classification costs a few bit operations, so the words of a line no longer wait
// for one another, and a word that is a plain decimal is read from the same bits.
class LineWords {
 public:
  static constexpr ptrdiff_t kMaxLine = 64;

  // False when the line [p, e) is longer than kMaxLine or fewer than kMaxLine + 16 bytes
  // can be read from p (readable is the end of the memory the line lies in): the caller
  // then scans it byte by byte, with ByteWords or Word().
  bool Load(const char* p, const char* e, const char* readable) {
    const ptrdiff_t len = e - p;
    if (len > kMaxLine || readable - p < kMaxLine + 16) return false;
    space_ = digit_ = 0;
    if (len > 0) Classify<0>(p);
    if (len > 16) Classify<1>(p);
    if (len > 32) Classify<2>(p);
    if (len > 48) Classify<3>(p);
    Finish(p, len);
    return true;
  }

  // The line from p to the first '\n', found in the same pass over its bytes: false when
  // there is none within kMaxLine bytes or p is that near to readable (the caller then looks
  // for the line's end itself and uses Load). e receives the line's end, the '\n'.
  bool LoadLine(const char* p, const char* readable, const char*& e) {
    if (readable - p < kMaxLine + 16) return false;
    space_ = digit_ = 0;
    // Unrolled: each block's masks go in with a constant shift.
    int len;
    if (const uint64_t nl = Classify<0>(p)) {
      len = std::countr_zero(nl);
    } else if (const uint64_t nl1 = Classify<1>(p)) {
      len = 16 + std::countr_zero(nl1);
    } else if (const uint64_t nl2 = Classify<2>(p)) {
      len = 32 + std::countr_zero(nl2);
    } else if (const uint64_t nl3 = Classify<3>(p)) {
      len = 48 + std::countr_zero(nl3);
    } else {
      return false;
    }
    e = p + len;
    Finish(p, len);
    return true;
  }

  // The next word; an empty view at the line's end when there is none.
  std::string_view Next() {
    if (!starts_) return std::string_view(end_, 0);
    const int s = std::countr_zero(starts_);
    starts_ &= starts_ - 1;
    const int e = std::countr_zero(space_ & (~uint64_t{0} << s));
    return std::string_view(base_ + s, static_cast<size_t>(e - s));
  }

  // A word this line gave that is wholly a plain decimal, "[+-]ddd[.ddd]" with at most 16
  // digits (at most 8 before the point, so below 1e8), into the double Real() gives for it;
  // false for any other word, which the caller then reads with Real().
  bool Decimal(std::string_view w, double& out) const {
    if (w.empty()) return false;
    const int s = static_cast<int>(w.data() - base_);
    return DecimalAt(s, s + static_cast<int>(w.size()), out);
  }

  // Next() and Decimal() of the word in one: w receives the word (empty at the line's end).
  [[gnu::always_inline]] bool NextDecimal(std::string_view& w, double& out) {
    if (!starts_) {
      w = std::string_view(end_, 0);
      return false;
    }
    const int s = std::countr_zero(starts_);
    starts_ &= starts_ - 1;
    const int e = std::countr_zero(space_ & (~uint64_t{0} << s));
    w = std::string_view(base_ + s, static_cast<size_t>(e - s));
    return DecimalAt(s, e, out);
  }

 private:
  // The word of bytes s to e - 1.
  [[gnu::always_inline]] bool DecimalAt(int s, int e, double& out) const {
    static constexpr double kPow10[17] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                                          1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};
    static constexpr uint64_t kPow10i[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    static constexpr uint64_t kLow[9] = {0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF,
                                         0xFFFFFFFFFFFFFF, ~uint64_t{0}};
    constexpr uint64_t kZeros = 0x3030303030303030u;
    const char c = base_[s];
    const bool negative = c == '-';
    const int d = s + ((c == '-') | (c == '+'));
    if (d >= e) return false;
    // Bytes of the word that are no digit (the digit bits past the line's end do not count).
    const uint64_t other = ~digit_ & (~uint64_t{0} << d) & (~uint64_t{0} >> (64 - e));
    // Digits, or digits around one point; base_[64] can be read (Load's margin).
    const int at = std::countr_zero(other);
    if ((other & (other - 1)) | (other != 0 && base_[at] != '.')) return false;
    const int point = std::min(at, e) - d;
    const int digits = e - d - (other != 0);
    if (static_cast<unsigned>(digits - 1) > 15 || point > 8) return false;
    const int fraction = digits - point;
    // The first eight digits with the point taken out: those before it from the word, those
    // after it from the word one byte on.
    const char* q = base_ + d;
    const uint64_t low = kLow[point];
    const uint64_t first = ((detail::Load8(q) & low) | (detail::Load8(q + 1) & ~low)) - kZeros;
    // m and the power of ten are exact doubles: one division gives the correctly rounded
    // value, as Real's FastDecimal does for the same digits.
    double v;
    if (digits <= 8) {
      // Zero digits after the last make m ten to the (8 - digits) times larger, and the
      // divisor as much: the same quotient.
      const uint64_t m = detail::EightDigits(first & kLow[digits]);
      v = static_cast<double>(m) / kPow10[8 - point];
    } else {
      const uint64_t rest = detail::Load8(q + 8 + (other != 0)) - kZeros;
      const uint64_t m = detail::EightDigits(first) * kPow10i[digits - 8] + detail::DigitValue(rest, digits - 8);
      // Sixteen digits may exceed 2^53, past which m is no exact double.
      if (m > (uint64_t{1} << 53)) return false;
      v = static_cast<double>(m) / kPow10[fraction];
    }
    out = negative ? -v : v;
    return true;
  }

  // Adds bytes 16 k to 16 k + 15 to the masks; returns their line ends.
  template <int k>
  uint64_t Classify(const char* p) {
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const __m128i nl = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
    const __m128i s = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
                                   _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), nl));
    // Signed bytes: those from 0x80 up are below '0'.
    const __m128i d = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(v, _mm_set1_epi8('9' + 1)));
    space_ |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(s))} << (16 * k);
    digit_ |= uint64_t{static_cast<uint16_t>(_mm_movemask_epi8(d))} << (16 * k);
    return static_cast<uint16_t>(_mm_movemask_epi8(nl));
#else
    uint64_t nl = 0;
    for (int j = 0; j < 16; ++j) {
      const char c = p[16 * k + j];
      space_ |= uint64_t{IsSpace(c)} << (16 * k + j);
      digit_ |= uint64_t{static_cast<unsigned>(c - '0') < 10} << (16 * k + j);
      nl |= uint64_t{c == '\n'} << j;
    }
    return nl;
#endif
  }

  void Finish(const char* p, ptrdiff_t len) {
    // Bytes past the line's end separate words like spaces.
    if (len < kMaxLine) space_ |= ~uint64_t{0} << len;
    base_ = p;
    end_ = p + len;
    starts_ = ~space_ & ((space_ << 1) | 1);
  }

  const char* base_ = nullptr;
  const char* end_ = nullptr;
  uint64_t space_ = 0;
  uint64_t digit_ = 0;
  uint64_t starts_ = 0;
};

// The same words found byte by byte, for the lines LineWords does not take.
class ByteWords {
 public:
  ByteWords(const char* p, const char* e) : p_(p), e_(e) {}
  std::string_view Next() { return Word(p_, e_); }
  bool Decimal(std::string_view, double&) const { return false; }
  bool NextDecimal(std::string_view& w, double&) {
    w = Word(p_, e_);
    return false;
  }

 private:
  const char* p_;
  const char* e_;
};

}  // namespace qv::scan

#include "tools/qvtool/OutputBuffer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "data/PodVector.h"
#include "data/text/ParallelText.h"

namespace qvtool {

char* FormatG9(char* out, double v) {
  // to_chars spells NaN and infinity as printf does, but drops the sign of a NaN.
  if (std::isnan(v)) {
    if (std::signbit(v)) *out++ = '-';
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  // With a precision, to_chars in the general format is printf's %g in the "C" locale.
  return std::to_chars(out, out + 32, v, std::chars_format::general, 9).ptr;
}

OutputBuffer::OutputBuffer(FILE* out) : out_(out), buffer_(kBlock + 256) {
  end_ = buffer_.data();
  limit_ = buffer_.data() + buffer_.size();
}

void OutputBuffer::Drain(size_t n) {
  Flush();
  if (n > buffer_.size()) {
    buffer_.resize(n);
    end_ = buffer_.data();
    limit_ = buffer_.data() + buffer_.size();
  }
}

void OutputBuffer::Flush() {
  const size_t held = static_cast<size_t>(end_ - buffer_.data());
  if (held > 0) std::fwrite(buffer_.data(), 1, held, out_);
  end_ = buffer_.data();
}

OutputBuffer& OutputBuffer::Put(std::string_view s) {
  if (s.size() > kBlock) {
    Flush();
    std::fwrite(s.data(), 1, s.size(), out_);
    return *this;
  }
  Reserve(s.size());
  std::memcpy(end_, s.data(), s.size());
  end_ += s.size();
  return *this;
}

OutputBuffer& OutputBuffer::Int(int64_t v) {
  Reserve(24);
  end_ = std::to_chars(end_, end_ + 24, v).ptr;
  return *this;
}

namespace {

// "index value" lines for the values [from, to) into out. Ten lines in a row share every
// digit of the index but the last, so the index is converted once per ten lines and only
// its last digit is written on each; the digits are not changed while they are copied,
// which a narrow store followed by the wide copy would stall on.
// Returns the length of the text; out is only grown (its bytes are not zeroed first).
size_t FormatIndexValueLines(const int32_t* values, int32_t from, int32_t to, qv::PodVector<char>& out) {
  if (out.size() < static_cast<size_t>(to - from) * 24) out.resize(static_cast<size_t>(to - from) * 24);
  char* p = out.data();
  char digits[16] = {};
  for (int32_t i = from; i < to;) {
    const int len = static_cast<int>(std::to_chars(digits, digits + sizeof digits, i).ptr - digits);
    const int first = digits[len - 1] - '0';
    const int32_t group = std::min(to - i, 10 - first);
    for (int32_t k = 0; k < group; ++k) {
      std::memcpy(p, digits, 16);  // the unused tail is overwritten next
      p[len - 1] = static_cast<char>('0' + first + k);
      p += len;
      *p++ = ' ';
      const int32_t v = values[i + k];
      if (v >= 0 && v < 10) {
        *p++ = static_cast<char>('0' + v);
      } else {
        p = std::to_chars(p, p + 12, v).ptr;
      }
      *p++ = '\n';
    }
    i += group;
  }
  return static_cast<size_t>(p - out.data());
}

}  // namespace

OutputBuffer& OutputBuffer::IndexValueLines(const int32_t* values, int32_t count) {
  constexpr int32_t kLines = 1 << 17;  // per piece: about 1.5 MB of text
  const int team = count >= 2 * kLines && std::thread::hardware_concurrency() >= 2 ? 2 : 1;
  qv::PodVector<char> text[2];
  size_t length[2] = {0, 0};
  // 64-bit steps: near the largest count a 32-bit index would overflow past the end.
  for (int64_t from = 0; from < count; from += int64_t{team} * kLines) {
    const int64_t pieces = std::min<int64_t>(team, (count - from + kLines - 1) / kLines);
    qv::RunParallel(team, static_cast<size_t>(pieces), [&](size_t k) {
      const int64_t lo = from + static_cast<int64_t>(k) * kLines;
      length[k] = FormatIndexValueLines(values, static_cast<int32_t>(lo),
                                        static_cast<int32_t>(std::min<int64_t>(count, lo + kLines)), text[k]);
    });
    for (int64_t k = 0; k < pieces; ++k) Put(std::string_view(text[k].data(), length[k]));
  }
  return *this;
}

OutputBuffer& OutputBuffer::Num(double v) {
  Reserve(32);
  end_ = FormatG9(end_, v);
  return *this;
}

OutputBuffer& OutputBuffer::JsonNum(double v) {
  if (!std::isfinite(v)) return Put("null");
  return Num(v);
}

}  // namespace qvtool

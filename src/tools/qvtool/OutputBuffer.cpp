#include "tools/qvtool/OutputBuffer.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

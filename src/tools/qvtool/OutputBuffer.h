#pragma once
// Standard output for outputs of millions of numbers: text is formatted straight into one
// buffer and handed to the stream in large blocks, never one formatted call per number.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace qvtool {

class OutputBuffer {
 public:
  static constexpr size_t kBlock = size_t{1} << 20;

  explicit OutputBuffer(FILE* out = stdout);
  ~OutputBuffer() { Flush(); }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  OutputBuffer& Put(std::string_view s);
  OutputBuffer& Put(char c) {
    Reserve(1);
    *end_++ = c;
    return *this;
  }
  OutputBuffer& Int(int64_t v);
  // The number as printf's "%.9g" writes it (nan, inf and their signs included).
  OutputBuffer& Num(double v);
  // As Num, but "null" for what JSON cannot hold (NaN and infinities).
  OutputBuffer& JsonNum(double v);

  // One line "index value" per value, the index counting from 0. Formatted on two threads,
  // a few megabytes at a time, so a count per atom of a large frame is not a serial tail.
  OutputBuffer& IndexValueLines(const int32_t* values, int32_t count);

  // Writes everything held so far.
  void Flush();

 private:
  // Room for at least n more bytes, writing the buffer out once a block is full.
  void Reserve(size_t n) {
    if (static_cast<size_t>(limit_ - end_) < n) Drain(n);
  }
  void Drain(size_t n);

  FILE* out_;
  std::vector<char> buffer_;
  char* end_;
  char* limit_;
};

// "%.9g" of v into out (at least 32 bytes); returns one past the last character written.
char* FormatG9(char* out, double v);

}  // namespace qvtool

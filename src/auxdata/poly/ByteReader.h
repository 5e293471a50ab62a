#pragma once
// Little-endian reads from a byte span that never pass its end: a read that would sets the
// failed flag and yields zeros, so a loader checks once per section instead of per field.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qv::poly {

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : data_(bytes) {}

  size_t Remaining() const { return failed_ ? 0 : data_.size() - pos_; }
  bool Failed() const { return failed_; }
  bool Skip(uint64_t n) {
    if (failed_ || n > data_.size() - pos_) return failed_ = true, false;
    pos_ += static_cast<size_t>(n);
    return true;
  }
  bool Read(void* out, size_t n) {
    if (failed_ || n > data_.size() - pos_) {
      std::memset(out, 0, n);
      failed_ = true;
      return false;
    }
    std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  template <class T>
  T Get() {
    T v{};
    Read(&v, sizeof v);  // the machines we build for are little-endian
    return v;
  }
  // An unsigned integer of 1, 2 or 4 bytes.
  uint32_t Unsigned(int width) {
    switch (width) {
      case 1: return Get<uint8_t>();
      case 2: return Get<uint16_t>();
      default: return Get<uint32_t>();
    }
  }
  // A signed integer of 1, 2 or 4 bytes (-1 means none in index fields).
  int32_t Signed(int width) {
    switch (width) {
      case 1: return Get<int8_t>();
      case 2: return Get<int16_t>();
      default: return Get<int32_t>();
    }
  }
  std::string Bytes(size_t n) {
    if (failed_ || n > data_.size() - pos_) {
      failed_ = true;
      return {};
    }
    std::string s(data_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view data_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// The whole file, or false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace qv::poly

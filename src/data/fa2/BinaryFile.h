#pragma once
// Buffered binary file access of the fa2/fad readers and writers and the STL writer: 64-bit
// offsets, the size of the file for checking counts before anything is allocated from them,
// and counters that show how much a frame jump really read.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qv {

static_assert(std::endian::native == std::endian::little,
              "the binary trajectory readers read little-endian values in place");

struct ReadStats {
  uint64_t headerReads = 0;  // frame headers read
  uint64_t bodyReads = 0;    // frame bodies read (not skipped)
  uint64_t bytesRead = 0;    // every byte fread
  uint64_t seeks = 0;
};

class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile() { Close(); }
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;

  bool Open(const std::string& path, const char* mode);
  // False when buffered data could not be written out.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  int64_t Tell() const;
  bool Seek(int64_t offset);
  bool SeekBy(int64_t delta);
  // Current size of the file (it may grow while we read it).
  int64_t Size() const;
  // Bytes between the current position and the end of the file.
  int64_t Remaining() const;

  // Reads exactly n bytes; false on a short read.
  bool Read(void* dest, size_t n);
  // Writes exactly n bytes; false on a short write.
  bool Write(const void* src, size_t n);

  ReadStats stats;

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

}  // namespace qv

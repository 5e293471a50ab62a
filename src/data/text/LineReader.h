#pragma once
// Line-at-a-time access to a text file that is read in large blocks. Lines are handed out
// as views into the block buffer, so reading a line copies nothing; a view stays valid
// until the next call to Next().
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

class LineReader {
 public:
  // The buffer holds at least one whole line; a longer line is rejected, never split.
  static constexpr size_t kDefaultBufferSize = size_t{4} << 20;

  explicit LineReader(size_t bufferSize = kDefaultBufferSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens a file for reading ("rb": line ends are handled here). False when it cannot be
  // opened.
  bool Open(const std::string& path);
  // Reads from memory that outlives the reader (tests, fuzzing, benchmarks).
  void OpenMemory(std::string_view text);
  bool IsOpen() const { return file_ != nullptr || memory_; }

  // The next line without its '\n' (a '\r' before it stays: it is whitespace to every
  // parser). False at the end of the input, after a read error, or when the line is longer
  // than the buffer; in the last case TooLong() is true and a message has been printed.
  bool Next(std::string_view& line);
  // Whether the line last returned ended with '\n' (the last line of a file may not).
  bool HadNewline() const { return hadNewline_; }
  bool TooLong() const { return tooLong_; }
  // 1-based number of the line last returned.
  int64_t LineNumber() const { return lineNumber_; }
  // Bytes of the input not yet handed out as lines: the upper bound for anything a count
  // read from the file may claim.
  uint64_t BytesLeft() const { return totalSize_ > consumed_ ? totalSize_ - consumed_ : 0; }
  // The end of the input held in memory: a parser may read ahead of the line last returned
  // up to here (scan::LineWords), though nothing after the line is part of it.
  const char* BufferEnd() const { return data_ ? data_ + end_ : nullptr; }
  // The input held in memory from the next line on (its end may not be held yet); empty
  // after a line that was too long.
  std::string_view Held() const {
    return tooLong_ || !data_ ? std::string_view() : std::string_view(data_ + begin_, end_ - begin_);
  }
  // Hands out the next `count` lines as Next() would, when the caller has found their line
  // ends in Held() itself: `next` is the byte after the last one's '\n'.
  void TakeLines(int64_t count, const char* next) {
    const size_t len = static_cast<size_t>(next - (data_ + begin_));
    begin_ += len;
    consumed_ += len;
    scanned_ = 0;
    hadNewline_ = true;
    lineNumber_ += count;
  }

 private:
  bool Refill();

  FILE* file_ = nullptr;
  bool memory_ = false;
  std::vector<char> buffer_;
  const char* data_ = nullptr;  // buffer_ or the caller's memory
  size_t begin_ = 0;            // first byte not handed out
  size_t end_ = 0;              // one past the last valid byte
  size_t scanned_ = 0;          // bytes from begin_ known to hold no '\n'
  bool eof_ = false;
  bool hadNewline_ = false;
  bool tooLong_ = false;
  int64_t lineNumber_ = 0;
  uint64_t totalSize_ = 0;
  uint64_t consumed_ = 0;
  size_t bufferSize_;
};

}  // namespace qv

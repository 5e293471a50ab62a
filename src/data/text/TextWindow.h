#pragma once
// A text file read through one window of bounded size (of its mapped pages), for loaders that parse many lines at
// once on several threads. Lines and their limits are those of LineReader over the same
// file (the same lines, line numbers, bytes left and the same "longer than" message), so a
// loader built on it behaves as its serial counterpart does.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "data/text/LineReader.h"

namespace qv {

class TextWindow {
 public:
  static constexpr size_t kLineLimit = LineReader::kDefaultBufferSize;

  // lineLimit is the serial reader's buffer size (at least 64); windowBytes is raised to
  // twice that.
  explicit TextWindow(size_t windowBytes, size_t lineLimit = kLineLimit);
  ~TextWindow();
  TextWindow(const TextWindow&) = delete;
  TextWindow& operator=(const TextWindow&) = delete;

  // Regular files only; false when the path is anything else or cannot be opened.
  bool Open(const std::string& path);

  // Runs before the window's contents move: every view into the window handed out so far
  // becomes invalid after it.
  std::function<void()> beforeMove;
  // Runs instead of beforeMove when the window only slides on through the file: views into
  // it stay readable until then as long as Keep holds them (the file stays mapped).
  std::function<void()> beforeSlide;
  // The pages from `from` (a view into the window) on are not let go when the window slides;
  // nullptr lets them go again.
  void Keep(const char* from) { keep_ = from ? static_cast<size_t>(from - data_) : SIZE_MAX; }
  // Receives the messages LineReader would print, at the point it would print them.
  std::function<void(const std::string&)> message;

  // As LineReader::Next.
  bool Next(std::string_view& line);
  bool HadNewline() const { return hadNewline_; }
  int64_t LineNumber() const { return lineNumber_; }
  uint64_t BytesLeft() const;
  // File offset of the first byte not handed out yet.
  uint64_t Offset() const { return begin_; }

  // Carries on reading at `offset` (a line start) instead, as if the file had been opened
  // there; a file that has grown since it was opened is mapped again to its new size.
  // Calls beforeMove. False when the offset lies beyond the end of the file.
  bool Seek(uint64_t offset);

  // Passes over up to `count` lines without looking at them, handing them out as runs of at
  // most `perRun` whole lines (begin, end, number of lines) that stay valid until the next
  // beforeMove. Returns the number of lines passed: fewer at the end of the input or at a
  // line that is too long.
  int64_t SkipLines(int64_t count, int64_t perRun,
                    const std::function<void(const char*, const char*, int64_t)>& run);

 private:
  bool Refill();
  void TooLong();
  bool Map(uint64_t size);

  int fd_ = -1;
  char* map_ = nullptr;
  size_t mapped_ = 0;
  const char* data_ = nullptr;  // the file's first byte
  size_t limit_;
  size_t window_;
  // Offsets into the file: first byte not handed out, end of the window, bytes from begin_
  // known to hold no line end, pages already let go.
  size_t begin_ = 0;
  size_t end_ = 0;
  size_t scanned_ = 0;
  size_t released_ = 0;
  size_t keep_ = SIZE_MAX;
  uint64_t totalSize_ = 0;
  bool eof_ = false;
  bool tooLong_ = false;
  bool hadNewline_ = false;
  int64_t lineNumber_ = 0;
};

}  // namespace qv

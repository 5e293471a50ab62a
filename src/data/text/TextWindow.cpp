#include "data/text/TextWindow.h"

#include <emmintrin.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace qv {
namespace {

// Newlines in the 64 bytes at p, one bit each, and their number. The number is summed from
// the byte compares: without a popcount instruction in the baseline, counting the mask
// would be a library call per block.
inline uint64_t NewlineMask(const char* p, int& count) {
  const __m128i nl = _mm_set1_epi8('\n');
  uint64_t m = 0;
  __m128i hits = _mm_setzero_si128();
  for (int k = 0; k < 4; ++k) {
    const __m128i eq = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k)), nl);
    m |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(eq))) << (16 * k);
    hits = _mm_sub_epi8(hits, eq);  // a match is -1: at most 4 per byte lane
  }
  const __m128i sums = _mm_sad_epu8(hits, _mm_setzero_si128());
  count = _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
  return m;
}

// Counts up to `want` line ends from p. Returns the start of the line after the last one
// counted; `got` is their number. A line from there that reaches `limit` bytes without its
// end sets tooLong and is not counted.
const char* FindLines(const char* p, const char* e, int64_t want, int64_t& got, size_t limit, bool& tooLong) {
  const char* lineStart = p;
  got = 0;
  tooLong = false;
  while (e - p >= 64) {
    int c = 0;
    uint64_t m = NewlineMask(p, c);
    if (m != 0) {
      // Lines that end inside the block are shorter than it; only the one that ended in it
      // may be long.
      if (static_cast<size_t>(p + std::countr_zero(m) - lineStart) >= limit) {
        tooLong = true;
        return lineStart;
      }
      if (got + c >= want) {
        for (int64_t k = want - got; k > 1; --k) m &= m - 1;
        got = want;
        return p + std::countr_zero(m) + 1;
      }
      got += c;
      lineStart = p + (63 - std::countl_zero(m)) + 1;
    } else if (static_cast<size_t>(p + 64 - lineStart) >= limit) {
      tooLong = true;
      return lineStart;
    }
    p += 64;
  }
  for (; p < e; ++p) {
    if (*p != '\n') continue;
    if (static_cast<size_t>(p - lineStart) >= limit) {
      tooLong = true;
      return lineStart;
    }
    lineStart = p + 1;
    if (++got == want) return lineStart;
  }
  if (static_cast<size_t>(e - lineStart) >= limit) tooLong = true;
  return lineStart;
}

}  // namespace

TextWindow::TextWindow(size_t windowBytes, size_t lineLimit)
    : limit_(std::max<size_t>(lineLimit, 64)), window_(std::max(windowBytes, 2 * limit_)) {}

TextWindow::~TextWindow() {
  if (map_) munmap(map_, mapped_);
  if (fd_ >= 0) close(fd_);
}

bool TextWindow::Open(const std::string& path) {
  if (fd_ >= 0) return false;
  fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  if (!Map(static_cast<uint64_t>(st.st_size))) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool TextWindow::Map(uint64_t size) {
  if (map_) munmap(map_, mapped_);
  map_ = nullptr;
  mapped_ = 0;
  released_ = 0;
  keep_ = SIZE_MAX;
  totalSize_ = size;
  if (totalSize_ > 0) {
    // The file is read through its pages in the cache, never copied; what has been parsed
    // is let go window by window, so the process holds about one window of it.
    void* m = mmap(nullptr, static_cast<size_t>(totalSize_), PROT_READ, MAP_PRIVATE, fd_, 0);
    if (m == MAP_FAILED) {
      totalSize_ = 0;
      return false;
    }
    map_ = static_cast<char*>(m);
    mapped_ = static_cast<size_t>(totalSize_);
    madvise(map_, mapped_, MADV_SEQUENTIAL);
  }
  data_ = map_;
  return true;
}

bool TextWindow::Seek(uint64_t offset) {
  if (fd_ < 0) return false;
  if (beforeMove) beforeMove();
  struct stat st;
  if (fstat(fd_, &st) == 0 && static_cast<uint64_t>(st.st_size) > totalSize_ &&
      !Map(static_cast<uint64_t>(st.st_size))) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  if (offset > totalSize_) return false;
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  begin_ = end_ = static_cast<size_t>(offset);
  released_ = std::min(released_, begin_ / page * page);
  scanned_ = 0;
  eof_ = tooLong_ = false;
  return true;
}

uint64_t TextWindow::BytesLeft() const { return totalSize_ > begin_ ? totalSize_ - begin_ : 0; }

bool TextWindow::Refill() {
  if (eof_ || fd_ < 0) return false;
  if (beforeSlide)
    beforeSlide();
  else if (beforeMove)
    beforeMove();
  // Pages wholly before the first byte still needed are done with.
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t done = std::min(begin_, keep_) / page * page;
  if (done > released_) {
    madvise(map_ + released_, done - released_, MADV_DONTNEED);
    released_ = done;
  }
  // The window keeps its size: it starts at the first byte still needed.
  const size_t end = std::min(mapped_, begin_ + window_);
  if (end <= end_) {
    eof_ = true;
    return false;
  }
  end_ = end;
#ifdef MADV_POPULATE_READ
  // Maps the window's pages in one call instead of one fault per few pages; failing
  // (an older kernel) costs only the faults.
  madvise(map_ + done, end_ - done, MADV_POPULATE_READ);
#endif
  return true;
}

void TextWindow::TooLong() {
  tooLong_ = true;
  if (!message) return;
  char text[128];
  std::snprintf(text, sizeof text, "line %lld is longer than %zu bytes; reading stops there\n",
                static_cast<long long>(lineNumber_ + 1), limit_);
  message(text);
}

bool TextWindow::Next(std::string_view& line) {
  if (tooLong_ || fd_ < 0) return false;
  for (;;) {
    const char* start = data_ + begin_;
    const size_t avail = end_ - begin_;
    const size_t searched = std::min(avail, limit_);
    const void* nl = searched > scanned_ ? std::memchr(start + scanned_, '\n', searched - scanned_) : nullptr;
    if (nl) {
      const size_t len = static_cast<size_t>(static_cast<const char*>(nl) - start);
      line = std::string_view(start, len);
      begin_ += len + 1;
      scanned_ = 0;
      hadNewline_ = true;
      ++lineNumber_;
      return true;
    }
    scanned_ = searched;
    if (avail >= limit_) {
      TooLong();
      return false;
    }
    if (!eof_) {
      Refill();
      continue;
    }
    if (avail == 0) return false;
    line = std::string_view(start, avail);
    begin_ = end_;
    scanned_ = 0;
    hadNewline_ = false;
    ++lineNumber_;
    return true;
  }
}

int64_t TextWindow::SkipLines(int64_t count, int64_t perRun,
                              const std::function<void(const char*, const char*, int64_t)>& run) {
  int64_t passed = 0;
  perRun = std::max<int64_t>(perRun, 1);
  while (passed < count && !tooLong_ && fd_ >= 0) {
    const char* b = data_ + begin_;
    const char* e = data_ + end_;
    const int64_t want = std::min(perRun, count - passed);
    int64_t got = 0;
    bool tooLong = false;
    const char* next = FindLines(b, e, want, got, limit_, tooLong);
    if (got > 0) {
      run(b, next, got);
      passed += got;
      lineNumber_ += got;
      begin_ = static_cast<size_t>(next - data_);
      scanned_ = 0;
      hadNewline_ = true;
    }
    if (tooLong) {
      TooLong();
      break;
    }
    if (got == want) continue;
    if (!eof_) {
      Refill();
      continue;
    }
    if (end_ > begin_) {  // the last line of the file, without its line end
      run(data_ + begin_, e, 1);
      ++passed;
      ++lineNumber_;
      begin_ = end_;
      hadNewline_ = false;
    }
    break;
  }
  return passed;
}

}  // namespace qv

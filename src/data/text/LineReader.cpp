#include "data/text/LineReader.h"

#include <cstring>
#include <filesystem>

#include "data/Console.h"

namespace qv {

LineReader::LineReader(size_t bufferSize) : bufferSize_(bufferSize < 16 ? 16 : bufferSize) {}

LineReader::~LineReader() {
  if (file_) std::fclose(file_);
}

bool LineReader::Open(const std::string& path) {
  if (file_ || memory_) return false;
  std::error_code ec;
  // A directory opens fine with fopen on Linux and then fails every read.
  if (std::filesystem::is_directory(path, ec)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  const auto size = std::filesystem::file_size(path, ec);
  // A pipe or device has no size: nothing read from it may claim more than one buffer.
  totalSize_ = ec ? bufferSize_ : static_cast<uint64_t>(size);
  buffer_.resize(bufferSize_);
  data_ = buffer_.data();
  return true;
}

void LineReader::OpenMemory(std::string_view text) {
  memory_ = true;
  data_ = text.data();
  begin_ = 0;
  end_ = text.size();
  eof_ = true;
  totalSize_ = text.size();
}

bool LineReader::Refill() {
  if (eof_ || !file_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) return false;
  const size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) eof_ = true;
  // A file that grew since it was opened may hold more than its size said.
  if (totalSize_ < consumed_ + (end_ - begin_)) totalSize_ = consumed_ + (end_ - begin_);
  return got > 0;
}

bool LineReader::Next(std::string_view& line) {
  if (tooLong_ || !data_) return false;
  for (;;) {
    const char* start = data_ + begin_;
    const size_t avail = end_ - begin_;
    const void* nl = avail > scanned_ ? std::memchr(start + scanned_, '\n', avail - scanned_) : nullptr;
    if (nl) {
      const size_t len = static_cast<const char*>(nl) - start;
      line = std::string_view(start, len);
      begin_ += len + 1;
      consumed_ += len + 1;
      scanned_ = 0;
      hadNewline_ = true;
      ++lineNumber_;
      return true;
    }
    scanned_ = avail;
    if (!eof_) {
      if (avail == buffer_.size()) {
        tooLong_ = true;
        qv::ConsolePrint("line %lld is longer than %zu bytes; reading stops there\n",
                    static_cast<long long>(lineNumber_ + 1), buffer_.size());
        return false;
      }
      Refill();
      continue;
    }
    if (avail == 0) return false;
    line = std::string_view(start, avail);
    begin_ = end_;
    consumed_ += avail;
    scanned_ = 0;
    hadNewline_ = false;
    ++lineNumber_;
    return true;
  }
}

}  // namespace qv

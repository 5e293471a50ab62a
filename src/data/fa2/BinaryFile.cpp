#include "data/fa2/BinaryFile.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace qv {

bool BinaryFile::Open(const std::string& path, const char* mode) {
  Close();
  file_ = std::fopen(path.c_str(), mode);
  if (!file_) return false;
  // A directory opens for reading here but reads as nothing; call it what it is.
  struct stat st;
  if (fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
    Close();
    return false;
  }
  path_ = path;
  return true;
}

bool BinaryFile::Close() {
  bool ok = true;
  if (file_) ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

int64_t BinaryFile::Tell() const { return file_ ? static_cast<int64_t>(ftello(file_)) : -1; }

bool BinaryFile::Seek(int64_t offset) {
  if (!file_ || offset < 0) return false;
  ++stats.seeks;
  return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool BinaryFile::SeekBy(int64_t delta) {
  const int64_t here = Tell();
  if (here < 0) return false;
  return Seek(here + delta);
}

int64_t BinaryFile::Size() const {
  if (!file_) return 0;
  struct stat st;
  const int fd = fileno(file_);
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return static_cast<int64_t>(st.st_size);
  // Not a regular file (a memory stream, a pipe): measure by seeking to the end.
  const off_t here = ftello(file_);
  if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) return 0;
  const off_t end = ftello(file_);
  fseeko(file_, here, SEEK_SET);
  return end < 0 ? 0 : static_cast<int64_t>(end);
}

int64_t BinaryFile::Remaining() const {
  const int64_t here = Tell();
  if (here < 0) return 0;
  const int64_t size = Size();
  return size > here ? size - here : 0;
}

bool BinaryFile::Read(void* dest, size_t n) {
  if (!file_) return false;
  const size_t got = std::fread(dest, 1, n, file_);
  stats.bytesRead += got;
  return got == n;
}

bool BinaryFile::Write(const void* src, size_t n) {
  if (!file_) return false;
  return std::fwrite(src, 1, n, file_) == n;
}

}  // namespace qv

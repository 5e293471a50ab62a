#include "data/fa2/FrameReader.h"

namespace qv {

int FrameReader::Open(const std::string& path) {
  if (file_.IsOpen()) return -2;
  if (!file_.Open(path, "rb")) return -1;
  held_ = false;
  ended_ = false;
  error_.clear();
  return 0;
}

void FrameReader::Close() {
  file_.Close();
  held_ = false;
}

bool FrameReader::Seek(int64_t offset) {
  held_ = false;
  ended_ = false;
  return file_.Seek(offset);
}

int FrameReader::PeekAtomCount() {
  if (held_) return heldCount_;
  if (ended_) return 0;
  if (!file_.IsOpen()) return kFrameIoError;
  heldCount_ = ReadHeader();
  held_ = heldCount_ > 0;
  return heldCount_;
}

int FrameReader::Fail(int code, std::string message) {
  error_ = file_.Path() + ": " + message;
  code_ = code;
  held_ = false;
  return code;
}

int64_t FrameReader::ReadHeaderBytes(void* raw, size_t n) {
  headerOffset_ = file_.Tell();
  const uint64_t before = file_.stats.bytesRead;
  if (file_.Read(raw, n)) ++file_.stats.headerReads;
  return static_cast<int64_t>(file_.stats.bytesRead - before);
}

int FrameReader::SkipBody(int64_t bytes) {
  held_ = false;
  if (!file_.SeekBy(bytes)) {
    return Fail(kFrameIoError, "cannot seek over the frame at offset " +
                                   std::to_string(headerOffset_));
  }
  return kFrameOk;
}

void FrameReader::StoreBox(ATOMS_DATA& frame, const float box[12]) {
  for (int i = 0; i < 9; ++i) frame.box[i] = box[i];
  for (int i = 0; i < 3; ++i) frame.origin[i] = box[9 + i];
}

}  // namespace qv

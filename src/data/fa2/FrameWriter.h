#pragma once
// What the fa2 and fad writers share: the file they create and the count of frames written.
#include <cstdint>
#include <string>

#include "data/fa2/BinaryFile.h"

namespace qv {

class FrameWriter {
 public:
  // 0 success, -1 the file cannot be created, -2 a file is already open.
  int Open(const std::string& path) {
    if (file_.IsOpen()) return -2;
    if (!file_.Open(path, "wb")) return -1;
    frames_ = 0;
    return 0;
  }
  // Flushes and closes; false when the data could not all be written.
  bool Close() { return file_.Close(); }
  bool IsOpen() const { return file_.IsOpen(); }

 protected:
  FrameWriter() = default;

  BinaryFile file_;
  int32_t frames_ = 0;  // frames written since Open
};

}  // namespace qv

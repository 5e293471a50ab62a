#include "data/fa2/FAD_Writer.h"

#include <limits>

bool FAD_Writer::Record(const void* data, int32_t bytes) {
  return file_.Write(&bytes, 4) && file_.Write(data, static_cast<size_t>(bytes)) &&
         file_.Write(&bytes, 4);
}

int FAD_Writer::WriteFrame(int32_t atomCount, const int32_t* atomicNumbers,
                           const float* positions, const float box[12]) {
  if (!file_.IsOpen()) return -1;
  // A record length is a 32-bit count of bytes.
  if (atomCount <= 0 || atomCount > std::numeric_limits<int32_t>::max() / 4 || !atomicNumbers ||
      !positions || !box) {
    return -4;
  }
  const size_t n = static_cast<size_t>(atomCount);
  const int32_t header[3] = {atomCount, 0, 0x22};
  bool ok = Record(header, 12) && Record(atomicNumbers, 4 * atomCount);
  if (scratch_.size() < n) scratch_.resize(n);
  for (int c = 0; ok && c < 3; ++c) {
    for (size_t i = 0; i < n; ++i) scratch_[i] = positions[3 * i + c];
    ok = Record(scratch_.data(), 4 * atomCount);
  }
  if (ok) ok = Record(box, 48);
  if (!ok) return -3;
  return ++frames_;
}

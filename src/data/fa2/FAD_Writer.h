#pragma once
// Writer of fad trajectories: header, atomic numbers, X, Y, Z and a 12-float box record.
#include <cstdint>
#include <string>

#include "data/PodVector.h"
#include "data/fa2/FrameWriter.h"

class FAD_Writer : public qv::FrameWriter {
 public:
  // positions interleaved (x y z per atom); box: 9 box values then 3 origin values.
  // Returns the frames written so far, or -1 (no file open), -3 (write failed),
  // -4 (atom count not positive, or an array missing).
  int WriteFrame(int32_t atomCount, const int32_t* atomicNumbers, const float* positions,
                 const float box[12]);

  size_t ScratchCapacity() const { return scratch_.size(); }

 private:
  bool Record(const void* data, int32_t bytes);

  qv::PodVector<float> scratch_;  // one coordinate column, grown for larger frames
};

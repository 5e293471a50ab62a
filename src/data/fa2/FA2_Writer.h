#pragma once
// Writer of fa2 trajectories (float box, byte atomic numbers, int32 tags, float triples).
#include <cstdint>
#include <string>
#include <vector>

#include "data/fa2/FrameWriter.h"

// Three floats per atom, given interleaved (xyz) or as three separate arrays.
struct FA2_Triple {
  const float* xyz = nullptr;
  const float* x = nullptr;
  const float* y = nullptr;
  const float* z = nullptr;
  bool Given() const { return xyz || (x && y && z); }
};

struct FA2_Frame {
  int32_t atomCount = 0;
  bool hasBox = false;
  float box[12] = {};  // 9 box values then 3 origin values
  const int32_t* atomicNumbers = nullptr;  // only the low byte is written
  const int32_t* tags = nullptr;
  FA2_Triple positions;
  FA2_Triple vectors;
  FA2_Triple thirdVectors;
};

class FA2_Writer : public qv::FrameWriter {
 public:
  // Returns the number of frames written so far, or -1 (no file open), -3 (write failed),
  // -4 (atom count not positive: such a header would end the data for every reader).
  int WriteFrame(const FA2_Frame& frame);

 private:
  bool WriteTriple(const FA2_Triple& t, size_t n);

  std::vector<unsigned char> scratch_;
};

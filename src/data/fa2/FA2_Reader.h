#pragma once
// Reader of fa2 trajectories: 32-byte frame headers whose width bytes say how each block
// of the frame is stored.
#include <cstdint>
#include <string>
#include <vector>

#include "data/fa2/FrameReader.h"

class FA2_Reader : public qv::FrameReader {
 public:
  struct Header {
    int32_t atomCount = 0;
    int32_t counter = 0;
    uint8_t width[6] = {};  // box, atomic numbers, tags, positions, vectors, third vectors
  };
  static constexpr int64_t kHeaderSize = 32;

  // Reads the frame body into the given arrays (sized for the peeked atom count); a null
  // destination skips its block. box receives 9 box then 3 origin values. Returns a FrameResult.
  int ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions, float* vectors,
                float box[12]);
  // Reads the next frame into a fresh record: arrays for the blocks the file carries,
  // positions always (zero when the file has none).
  int ReadFrame(ATOMS_DATA& frame) override;
  int SkipFrame() override;

  // The five width bytes w0..w4 of the held header; false when no header is held.
  bool GetWidths(uint8_t widths[5]) const;
  const Header* HeldHeader() const { return held_ ? &header_ : nullptr; }
  // Body bytes of the held frame, third-vector block included.
  int64_t BodySize() const;

 private:
  int ReadHeader() override;
  template <class Src, class Dst>
  bool ReadBlock(Dst* dest, size_t count);

  Header header_;
  qv::PodVector<unsigned char> scratch_;
};

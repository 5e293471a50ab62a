#pragma once
// Reader of fad trajectories: every block is a length-framed record (length, payload,
// length), as sequential unformatted output of numerical codes writes them.
#include <cstdint>
#include <string>

#include "data/fa2/FrameReader.h"

class FAD_Reader : public qv::FrameReader {
 public:
  enum Flags : int32_t {
    kFloatExtra = 0x01,  // extra data as three float records (else two int32 records)
    kHasBox = 0x02,
    kRecord8 = 0x04,     // one 8-byte record, not interpreted
    kRecordAny = 0x08,   // one record of any length, not interpreted
    kTagsAndMore = 0x10, // tag record and three further float records
    kFullBox = 0x20,     // box as 12 floats (else Lx, Ly, Lz around the origin)
  };
  struct Header {
    int32_t atomCount = 0;
    int32_t extraCount = 0;
    int32_t flags = 0;
  };
  static constexpr int64_t kHeaderSize = 20;

  // Reads the frame body; null destinations skip their records. box gets 9 box and 3 origin
  // values (all zero when the frame has no box).
  int ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions, float box[12]);
  int ReadFrame(ATOMS_DATA& frame) override;
  int SkipFrame() override;

  const Header* HeldHeader() const { return held_ ? &header_ : nullptr; }
  // Bytes of the body up to (not including) the variable record of flag 0x08.
  int64_t FixedBodySize() const;

 private:
  int ReadHeader() override;
  // One record whose payload must be exactly `bytes` long; dest null seeks over it.
  bool ReadRecord(void* dest, int64_t bytes, const char* what);
  bool SkipVariableRecord();

  Header header_;
  qv::PodVector<float> scratch_;
};

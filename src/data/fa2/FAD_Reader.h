#pragma once
// Reader of fad trajectories: every block is a length-framed record (length, payload,
// length), as sequential unformatted output of numerical codes writes them.
#include <cstdint>
#include <string>

#include "data/AtomsData.h"
#include "data/fa2/BinaryFile.h"
#include "data/fa2/ReaderResult.h"

class FAD_Reader {
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

  // 0 success, -1 the file cannot be opened, -2 a file is already open.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }

  int64_t Tell() const { return file_.Tell(); }
  bool Seek(int64_t offset);  // drops a held header

  // Reads the header record if not held. Returns the atom count (> 0), 0 at the end of the
  // data, or a negative FrameResult.
  int PeekAtomCount();
  // Reads the frame body; null destinations skip their records. box gets 9 box and 3 origin
  // values (all zero when the frame has no box).
  int ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions, float box[12]);
  int ReadFrame(ATOMS_DATA& frame);
  int SkipFrame();

  const Header* HeldHeader() const { return held_ ? &header_ : nullptr; }
  int64_t HeaderOffset() const { return headerOffset_; }
  // Bytes of the body up to (not including) the variable record of flag 0x08.
  int64_t FixedBodySize() const;

  const std::string& LastError() const { return error_; }
  qv::ReadStats& Stats() { return file_.stats; }

 private:
  int Fail(int code, std::string message);
  // The data has ended: later peeks report the end again until a seek, instead of reading
  // whatever follows an end marker.
  int End() {
    ended_ = true;
    return 0;
  }
  // One record whose payload must be exactly `bytes` long; dest null seeks over it.
  bool ReadRecord(void* dest, int64_t bytes, const char* what);
  bool SkipVariableRecord();

  qv::BinaryFile file_;
  bool held_ = false;
  bool ended_ = false;
  Header header_;
  int64_t headerOffset_ = 0;
  std::string error_;
  int code_ = 0;
  qv::PodVector<float> scratch_;
};

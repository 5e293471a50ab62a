#pragma once
// Reader of fa2 trajectories: 32-byte frame headers whose width bytes say how each block
// of the frame is stored.
#include <cstdint>
#include <string>
#include <vector>

#include "data/AtomsData.h"
#include "data/fa2/BinaryFile.h"
#include "data/fa2/ReaderResult.h"

class FA2_Reader {
 public:
  struct Header {
    int32_t atomCount = 0;
    int32_t counter = 0;
    uint8_t width[6] = {};  // box, atomic numbers, tags, positions, vectors, third vectors
  };
  static constexpr int64_t kHeaderSize = 32;

  // 0 success, -1 the file cannot be opened, -2 a file is already open.
  int Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_.IsOpen(); }

  int64_t Tell() const { return file_.Tell(); }
  // Moves to an absolute offset; a header peeked before is dropped.
  bool Seek(int64_t offset);

  // Reads the frame header if it is not held yet. Returns the atom count (> 0), 0 at the end
  // of the data, or a negative FrameResult when the header cannot start a readable frame.
  int PeekAtomCount();

  // Reads the frame body into the given arrays (sized for the peeked atom count); a null
  // destination skips its block. box receives 9 box then 3 origin values. Returns a FrameResult.
  int ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions, float* vectors,
                float box[12]);
  // Reads the next frame into a fresh record: arrays for the blocks the file carries,
  // positions always (zero when the file has none).
  int ReadFrame(ATOMS_DATA& frame);
  // Seeks over the frame body by the sizes in its header (peeking it first if needed).
  int SkipFrame();

  // The five width bytes w0..w4 of the held header; false when no header is held.
  bool GetWidths(uint8_t widths[5]) const;
  const Header* HeldHeader() const { return held_ ? &header_ : nullptr; }
  int64_t HeaderOffset() const { return headerOffset_; }
  // Body bytes of the held frame, third-vector block included.
  int64_t BodySize() const;

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
  template <class Src, class Dst>
  bool ReadBlock(Dst* dest, size_t count);

  qv::BinaryFile file_;
  bool held_ = false;
  bool ended_ = false;
  Header header_;
  int64_t headerOffset_ = 0;
  std::string error_;
  qv::PodVector<unsigned char> scratch_;
};

#pragma once
// What the fa2 and fad readers share: the open file, a frame header peeked once and held
// until its body is read or skipped, the end-of-data latch and the last error message.
#include <cstdint>
#include <string>

#include "data/AtomsData.h"
#include "data/fa2/BinaryFile.h"
#include "data/fa2/ReaderResult.h"

namespace qv {

class FrameReader {
 public:
  virtual ~FrameReader() = default;

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
  // Reads the next frame into a fresh record.
  virtual int ReadFrame(ATOMS_DATA& frame) = 0;
  // Seeks over the frame body by the sizes in its header (peeking it first if needed).
  virtual int SkipFrame() = 0;
  // Whether frames carry their own step (a simulation timestep) that the container keeps;
  // otherwise a frame's step is its index.
  virtual bool KeepsStep() const { return false; }

  int64_t HeaderOffset() const { return headerOffset_; }
  const std::string& LastError() const { return error_; }
  ReadStats& Stats() { return file_.stats; }

 protected:
  FrameReader() = default;

  // Reads and checks the frame header at the current offset: the atom count (> 0) of a frame
  // that can be read, 0 (through End()) at the end of the data, or a negative FrameResult
  // (through Fail()).
  virtual int ReadHeader() = 0;

  int Fail(int code, std::string message);
  // The data has ended: later peeks report the end again until a seek, instead of reading
  // whatever follows an end marker.
  int End() {
    ended_ = true;
    return 0;
  }
  // Reads the n header bytes at the current offset (remembered as the header offset) and
  // returns how many were read: n, 0 at a clean end of the file, or fewer on a short read.
  int64_t ReadHeaderBytes(void* raw, size_t n);
  // Drops the held header and seeks over the given body bytes of its frame.
  int SkipBody(int64_t bytes);
  // PeekAtomCount's answer as a FrameResult: kFrameOk when a frame follows.
  static int PeekResult(int peeked) { return peeked > 0 ? kFrameOk : peeked == 0 ? kFrameEnd : peeked; }
  // 9 box values then 3 origin values into the frame.
  static void StoreBox(ATOMS_DATA& frame, const float box[12]);

  BinaryFile file_;
  bool held_ = false;
  int heldCount_ = 0;  // atom count of the held header
  bool ended_ = false;
  int64_t headerOffset_ = 0;
  std::string error_;
  int code_ = 0;  // code of the last failure
};

}  // namespace qv

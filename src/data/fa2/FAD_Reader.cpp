#include "data/fa2/FAD_Reader.h"

#include <cstring>

int64_t FAD_Reader::FixedBodySize() const {
  const int64_t n = header_.atomCount;
  const int64_t m = header_.extraCount;
  const int32_t f = header_.flags;
  int64_t size = (4 * n + 8) + (12 * n + 24);
  if (f & kTagsAndMore) size += (4 * n + 8) + (12 * n + 24);
  if (m > 0) size += (f & kFloatExtra) ? 12 * m + 24 : 8 * m + 16;
  if (f & kHasBox) size += (f & kFullBox) ? 56 : 20;
  if (f & kRecord8) size += 16;
  return size;
}

int FAD_Reader::ReadHeader() {
  unsigned char raw[kHeaderSize];
  const int64_t got = ReadHeaderBytes(raw, sizeof raw);
  if (got == 0) return End();
  if (got < kHeaderSize) {
    return Fail(kFrameTruncated, "the file ends inside the frame header record at offset " +
                                     std::to_string(headerOffset_));
  }
  int32_t lead, trail;
  std::memcpy(&lead, raw, 4);
  std::memcpy(&header_.atomCount, raw + 4, 4);
  std::memcpy(&header_.extraCount, raw + 8, 4);
  std::memcpy(&header_.flags, raw + 12, 4);
  std::memcpy(&trail, raw + 16, 4);
  if (lead != 12 || trail != 12) {
    return Fail(kFrameBadRecord, "the frame header record at offset " +
                                     std::to_string(headerOffset_) + " has lengths " +
                                     std::to_string(lead) + "/" + std::to_string(trail) +
                                     " instead of 12");
  }
  if (header_.atomCount == 0) return End();
  if (header_.atomCount < 0) {
    return Fail(kFrameBadRecord, "the frame header at offset " + std::to_string(headerOffset_) +
                                     " has a negative atom count " +
                                     std::to_string(header_.atomCount));
  }
  int64_t need = FixedBodySize();
  if (header_.flags & kRecordAny) need += 8;
  const int64_t left = file_.Remaining();
  if (need > left) {
    return Fail(kFrameTruncated, "the frame at offset " + std::to_string(headerOffset_) +
                                     " claims " + std::to_string(header_.atomCount) +
                                     " atoms and " + std::to_string(header_.extraCount) +
                                     " extra values (" + std::to_string(need) +
                                     " bytes) but only " + std::to_string(left) +
                                     " bytes remain in the file");
  }
  return header_.atomCount;
}

bool FAD_Reader::ReadRecord(void* dest, int64_t bytes, const char* what) {
  const int64_t at = file_.Tell();
  if (!dest) {
    if (file_.SeekBy(bytes + 8)) return true;
    Fail(kFrameIoError, std::string("cannot seek over the ") + what + " record at offset " +
                            std::to_string(at));
    return false;
  }
  int32_t lead = 0, trail = 0;
  if (!file_.Read(&lead, 4) || !file_.Read(dest, static_cast<size_t>(bytes)) ||
      !file_.Read(&trail, 4)) {
    Fail(kFrameTruncated, std::string("short read in the ") + what + " record at offset " +
                              std::to_string(at));
    return false;
  }
  if (lead != bytes || trail != bytes) {
    Fail(kFrameBadRecord, std::string("the ") + what + " record at offset " +
                              std::to_string(at) + " has lengths " + std::to_string(lead) + "/" +
                              std::to_string(trail) + ", expected " + std::to_string(bytes));
    return false;
  }
  return true;
}

bool FAD_Reader::SkipVariableRecord() {
  const int64_t at = file_.Tell();
  int32_t len = 0;
  if (!file_.Read(&len, 4)) {
    Fail(kFrameTruncated, "short read at the variable record at offset " + std::to_string(at));
    return false;
  }
  const int64_t left = file_.Remaining();
  if (len < 0 || int64_t{len} + 4 > left) {
    Fail(kFrameBadRecord, "the variable record at offset " + std::to_string(at) +
                              " has length " + std::to_string(len) + " but " +
                              std::to_string(left) + " bytes remain in the file");
    return false;
  }
  if (!file_.SeekBy(int64_t{len} + 4)) {
    Fail(kFrameIoError, "cannot seek over the record at offset " + std::to_string(at));
    return false;
  }
  return true;
}

int FAD_Reader::ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions,
                          float box[12]) {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  held_ = false;
  const Header h = header_;
  const int64_t n4 = 4 * int64_t{n};
  const size_t un = static_cast<size_t>(n);
  auto failed = [this] { return code_; };

  if (!ReadRecord(atomicNumbers, n4, "atomic-number")) return failed();
  if ((h.flags & kTagsAndMore) && !ReadRecord(tags, n4, "tag")) return failed();
  if (positions) {
    if (scratch_.size() < un) scratch_.resize(un);
    static const char* const names[3] = {"X", "Y", "Z"};
    for (int c = 0; c < 3; ++c) {
      if (!ReadRecord(scratch_.data(), n4, names[c])) return failed();
      const float* s = scratch_.data();
      for (size_t i = 0; i < un; ++i) positions[3 * i + c] = s[i];
    }
  } else if (!file_.SeekBy(3 * (n4 + 8))) {
    return Fail(kFrameIoError, "cannot seek over the coordinate records");
  }
  int64_t skip = 0;
  if (h.flags & kTagsAndMore) skip += 3 * (n4 + 8);
  if (h.extraCount > 0) {
    const int64_t m = h.extraCount;
    skip += (h.flags & kFloatExtra) ? 12 * m + 24 : 8 * m + 16;
  }
  if (skip && !file_.SeekBy(skip)) return Fail(kFrameIoError, "cannot seek over extra records");

  float values[12] = {};
  if (h.flags & kHasBox) {
    if (h.flags & kFullBox) {
      if (!ReadRecord(values, 48, "box")) return failed();
    } else {
      float len[3];
      if (!ReadRecord(len, 12, "box length")) return failed();
      values[0] = len[0];
      values[4] = len[1];
      values[8] = len[2];
      for (int k = 0; k < 3; ++k) values[9 + k] = -len[k] / 2;
      if (positions) {
        // Such files keep atoms around the box centre; move them into the box.
        const float half[3] = {len[0] / 2, len[1] / 2, len[2] / 2};
        for (size_t i = 0; i < un; ++i) {
          positions[3 * i] += half[0];
          positions[3 * i + 1] += half[1];
          positions[3 * i + 2] += half[2];
        }
      }
    }
  }
  if (box) std::memcpy(box, values, sizeof values);
  if ((h.flags & kRecord8) && !file_.SeekBy(16)) {
    return Fail(kFrameIoError, "cannot seek over the 8-byte record");
  }
  if ((h.flags & kRecordAny) && !SkipVariableRecord()) return failed();
  ++file_.stats.bodyReads;
  return kFrameOk;
}

int FAD_Reader::ReadFrame(ATOMS_DATA& frame) {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  const bool withTags = (header_.flags & kTagsAndMore) != 0;
  frame.Allocate(n, true, withTags, false);
  float box[12];
  const int rc = ReadFrame(frame.atomicNumbers.data(), withTags ? frame.tags.data() : nullptr,
                           frame.positions.data(), box);
  if (rc != kFrameOk) return rc;
  StoreBox(frame, box);
  return kFrameOk;
}

int FAD_Reader::SkipFrame() {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  if (const int rc = SkipBody(FixedBodySize()); rc != kFrameOk) return rc;
  if ((header_.flags & kRecordAny) && !SkipVariableRecord()) return code_;
  return kFrameOk;
}

#include "data/fa2/FA2_Reader.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr size_t kScratchBytes = 256 * 1024;

bool WidthAllowed(int block, uint8_t w) {
  switch (block) {
    case 1:  // atomic numbers
      return w == 0 || w == 1 || w == 4;
    case 5:  // third vectors
      return w == 0 || w == 4;
    default:  // box, tags, positions, vectors
      return w == 0 || w == 4 || w == 8;
  }
}

const char* const kBlockNames[6] = {"w0 (box)",       "w1 (atomic numbers)", "w2 (tags)",
                                    "w3 (positions)", "w4 (vectors)",        "w5 (third vectors)"};

}  // namespace

int64_t FA2_Reader::BodySize() const {
  const uint8_t* w = header_.width;
  const int64_t n = header_.atomCount > 0 ? header_.atomCount : 0;
  return 12 * int64_t{w[0]} + n * (int64_t{w[1]} + w[2] + 3 * (int64_t{w[3]} + w[4] + w[5]));
}

int FA2_Reader::ReadHeader() {
  unsigned char raw[kHeaderSize];
  const int64_t got = ReadHeaderBytes(raw, sizeof raw);
  if (got == 0) return End();  // clean end of the file
  if (got < kHeaderSize) {
    return Fail(kFrameTruncated, "the file ends inside the frame header at offset " +
                                     std::to_string(headerOffset_) + " (" + std::to_string(got) +
                                     " of 32 bytes)");
  }
  std::memcpy(&header_.atomCount, raw, 4);
  std::memcpy(&header_.counter, raw + 4, 4);
  std::memcpy(header_.width, raw + 8, 6);
  if (header_.atomCount <= 0) return End();  // a non-positive count ends the data

  for (int b = 0; b < 6; ++b) {
    if (!WidthAllowed(b, header_.width[b])) {
      return Fail(kFrameBadWidth, "unsupported width byte " + std::string(kBlockNames[b]) +
                                      " = " + std::to_string(header_.width[b]) +
                                      " in the frame header at offset " +
                                      std::to_string(headerOffset_));
    }
  }
  const uint8_t* w = header_.width;
  if (w[1] + w[2] + w[3] + w[4] + w[5] == 0) {
    return Fail(kFrameNoAtomData, "the frame header at offset " + std::to_string(headerOffset_) +
                                      " claims " + std::to_string(header_.atomCount) +
                                      " atoms but carries no per-atom block");
  }
  // Every array this frame allocates is backed by bytes of its body, so a body that does
  // not fit in the file means the count cannot be trusted.
  const int64_t body = BodySize();
  const int64_t left = file_.Remaining();
  if (body > left) {
    return Fail(kFrameTruncated, "the frame at offset " + std::to_string(headerOffset_) +
                                     " claims " + std::to_string(header_.atomCount) +
                                     " atoms (" + std::to_string(body) +
                                     " bytes) but only " + std::to_string(left) +
                                     " bytes remain in the file");
  }
  return header_.atomCount;
}

template <class Src, class Dst>
bool FA2_Reader::ReadBlock(Dst* dest, size_t count) {
  if (!dest) return file_.SeekBy(static_cast<int64_t>(count * sizeof(Src)));
  if constexpr (std::is_same_v<Src, Dst>) {
    // One large read straight into the final array.
    return file_.Read(dest, count * sizeof(Src));
  } else {
    // Converted in slices through a bounded scratch buffer, sized for small frames too.
    const size_t want = std::min(kScratchBytes, count * sizeof(Src));
    if (scratch_.size() < want) scratch_.resize(want);
    const size_t per = scratch_.size() / sizeof(Src);
    for (size_t done = 0; done < count;) {
      const size_t k = std::min(per, count - done);
      if (!file_.Read(scratch_.data(), k * sizeof(Src))) return false;
      const unsigned char* src = scratch_.data();
      Dst* out = dest + done;
      for (size_t i = 0; i < k; ++i) {
        Src v;
        std::memcpy(&v, src + i * sizeof(Src), sizeof(Src));
        out[i] = static_cast<Dst>(v);
      }
      done += k;
    }
    return true;
  }
}

int FA2_Reader::ReadFrame(int32_t* atomicNumbers, int32_t* tags, float* positions,
                          float* vectors, float box[12]) {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  const size_t un = static_cast<size_t>(n);
  const uint8_t* w = header_.width;
  const int64_t start = headerOffset_;
  bool ok = true;

  if (w[0] == 4) {
    ok = ReadBlock<float>(box, 12);
  } else if (w[0] == 8) {
    ok = ReadBlock<double>(box, 12);
  }
  if (ok && w[1] == 1) ok = ReadBlock<int8_t>(atomicNumbers, un);
  if (ok && w[1] == 4) ok = ReadBlock<int32_t>(atomicNumbers, un);
  if (ok && w[2] == 4) ok = ReadBlock<int32_t>(tags, un);
  if (ok && w[2] == 8) ok = ReadBlock<int64_t>(tags, un);  // the low 32 bits are kept
  if (ok && w[3] == 4) ok = ReadBlock<float>(positions, 3 * un);
  if (ok && w[3] == 8) ok = ReadBlock<double>(positions, 3 * un);
  if (ok && w[4] == 4) ok = ReadBlock<float>(vectors, 3 * un);
  if (ok && w[4] == 8) ok = ReadBlock<double>(vectors, 3 * un);
  // The third-vector block is not kept, but the next frame starts after it.
  if (ok && w[5] != 0) ok = file_.SeekBy(3 * static_cast<int64_t>(un) * w[5]);
  held_ = false;
  if (!ok) {
    return Fail(kFrameTruncated,
                "short read inside the frame at offset " + std::to_string(start));
  }
  ++file_.stats.bodyReads;
  return kFrameOk;
}

int FA2_Reader::ReadFrame(ATOMS_DATA& frame) {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  const uint8_t* w = header_.width;
  frame.Allocate(n, w[1] != 0, w[2] != 0, w[4] != 0);
  float box[12] = {};
  const int rc = ReadFrame(frame.HasAtomicNumbers() ? frame.atomicNumbers.data() : nullptr,
                           frame.HasTags() ? frame.tags.data() : nullptr,
                           w[3] != 0 ? frame.positions.data() : nullptr,
                           frame.HasVectors() ? frame.vectors.data() : nullptr, box);
  if (rc != kFrameOk) return rc;
  if (w[3] == 0) std::fill(frame.positions.begin(), frame.positions.end(), 0.0f);
  StoreBox(frame, box);
  return kFrameOk;
}

int FA2_Reader::SkipFrame() {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  return SkipBody(BodySize());
}

bool FA2_Reader::GetWidths(uint8_t widths[5]) const {
  if (!held_) return false;
  std::memcpy(widths, header_.width, 5);
  return true;
}

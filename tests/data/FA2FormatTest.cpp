#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "data/fa2/FA2_Reader.h"
#include "data/fa2/FA2_Writer.h"

using namespace qvtest;

namespace {

ATOMS_DATA ReadOne(const std::string& path) {
  FA2_Reader r;
  EXPECT_EQ(r.Open(path), 0);
  ATOMS_DATA f;
  EXPECT_EQ(r.ReadFrame(f), kFrameOk) << r.LastError();
  return f;
}

}  // namespace

TEST(FA2Format, ConversionFrameOfThreeAtomsIs119BytesAndReadsBack) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  const int32_t numbers[3] = {1, 6, 8};
  const float xyz[9] = {0.5f, 1.5f, 2.5f, -1, -2, -3, 1e-3f, 7, 8.25f};
  FA2_Frame frame;
  frame.atomCount = 3;
  frame.hasBox = true;
  const float box[12] = {10, 0, 0, 1, 11, 0, 2, 3, 12, -1, -2, -3};
  std::copy(box, box + 12, frame.box);
  frame.atomicNumbers = numbers;
  frame.positions.xyz = xyz;
  FA2_Writer w;
  ASSERT_EQ(w.Open(path), 0);
  EXPECT_EQ(w.WriteFrame(frame), 1);
  ASSERT_TRUE(w.Close());
  EXPECT_EQ(ReadFile(path).size(), 119u);

  const ATOMS_DATA f = ReadOne(path);
  ASSERT_EQ(f.atomCount, 3);
  EXPECT_EQ(std::vector<int32_t>(f.atomicNumbers.begin(), f.atomicNumbers.end()),
            (std::vector<int32_t>{1, 6, 8}));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.positions[i], xyz[i]);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.box[i], box[i]);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(f.origin[i], box[9 + i]);
  EXPECT_FALSE(f.HasTags());
  EXPECT_FALSE(f.HasVectors());
}

TEST(FA2Format, WriterInterleavesSeparateArraysAndCountsFrames) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  const float x[2] = {1, 2}, y[2] = {3, 4}, z[2] = {5, 6};
  const float v[6] = {9, 8, 7, 6, 5, 4};
  const float tx[2] = {-1, -2}, ty[2] = {-3, -4}, tz[2] = {-5, -6};
  const int32_t numbers[2] = {0x1FF, 26};  // only the low byte is stored: 0xFF reads as -1
  const int32_t tags[2] = {-7, 123456789};
  FA2_Frame frame;
  frame.atomCount = 2;
  frame.atomicNumbers = numbers;
  frame.tags = tags;
  frame.positions = {nullptr, x, y, z};
  frame.vectors.xyz = v;
  frame.thirdVectors = {nullptr, tx, ty, tz};
  FA2_Writer w;
  ASSERT_EQ(w.Open(path), 0);
  EXPECT_EQ(w.Open(path), -2);
  EXPECT_EQ(w.WriteFrame(frame), 1);
  EXPECT_EQ(w.WriteFrame(frame), 2);
  frame.atomCount = 0;
  EXPECT_EQ(w.WriteFrame(frame), -4);
  ASSERT_TRUE(w.Close());

  const auto bytes = ReadFile(path);
  const size_t frameSize = 32 + 2 * (1 + 4 + 12 + 12 + 12);
  ASSERT_EQ(bytes.size(), 2 * frameSize);
  // Header of the second frame: counter 1, widths 0 1 4 4 4 4.
  EXPECT_EQ(bytes[frameSize + 4], 1);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + frameSize + 8, bytes.begin() + frameSize + 14),
            (std::vector<unsigned char>{0, 1, 4, 4, 4, 4}));

  FA2_Reader r;
  ASSERT_EQ(r.Open(path), 0);
  for (int k = 0; k < 2; ++k) {
    ATOMS_DATA f;
    ASSERT_EQ(r.ReadFrame(f), kFrameOk) << r.LastError();
    EXPECT_EQ(f.atomicNumbers[0], -1);
    EXPECT_EQ(f.atomicNumbers[1], 26);
    EXPECT_EQ(f.tags[0], -7);
    EXPECT_EQ(f.tags[1], 123456789);
    EXPECT_EQ(std::vector<float>(f.positions.begin(), f.positions.end()),
              (std::vector<float>{1, 3, 5, 2, 4, 6}));
    EXPECT_EQ(std::vector<float>(f.vectors.begin(), f.vectors.end()),
              std::vector<float>(v, v + 6));
  }
  ATOMS_DATA none;
  EXPECT_EQ(r.ReadFrame(none), kFrameEnd);
}

TEST(FA2Format, WideBlocksAreNarrowed) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  Bytes b;
  Fa2Header(b, 2, 0, {8, 4, 8, 8, 8, 0});
  for (int i = 0; i < 12; ++i) b.Put<double>(i + 0.25);
  b.Put<int32_t>(-3).Put<int32_t>(92);
  b.Put<int64_t>(0x500000007LL).Put<int64_t>(-2);  // the low 32 bits are kept
  for (int i = 0; i < 6; ++i) b.Put<double>(0.1 * i);
  for (int i = 0; i < 6; ++i) b.Put<double>(-1e10 * i);
  WriteFile(path, b.data);

  const ATOMS_DATA f = ReadOne(path);
  ASSERT_EQ(f.atomCount, 2);
  EXPECT_EQ(f.box[4], 4.25);
  EXPECT_EQ(f.origin[2], 11.25);
  EXPECT_EQ(f.atomicNumbers[0], -3);
  EXPECT_EQ(f.atomicNumbers[1], 92);
  EXPECT_EQ(f.tags[0], 7);
  EXPECT_EQ(f.tags[1], -2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.positions[i], static_cast<float>(0.1 * i));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(f.vectors[i], static_cast<float>(-1e10 * i));
}

TEST(FA2Format, SignedByteNumbersAndMissingBlocks) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  Bytes b;
  // No box, no positions: the box stays zero and positions are zero-filled.
  Fa2Header(b, 3, 0, {0, 1, 0, 0, 0, 0});
  b.Put<uint8_t>(0xFF).Put<uint8_t>(0x80).Put<uint8_t>(0x7F);
  WriteFile(path, b.data);
  const ATOMS_DATA f = ReadOne(path);
  EXPECT_EQ(f.atomicNumbers[0], -1);
  EXPECT_EQ(f.atomicNumbers[1], -128);
  EXPECT_EQ(f.atomicNumbers[2], 127);
  ASSERT_EQ(f.positions.size(), 9u);
  for (float v : f.positions) EXPECT_EQ(v, 0.0f);
  for (double v : f.box) EXPECT_EQ(v, 0.0);
}

TEST(FA2Format, ThirdVectorBlockIsSteppedOverByReadAndSkip) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  Bytes b;
  Fa2Header(b, 2, 0, {4, 4, 0, 4, 0, 4});
  for (int i = 0; i < 12; ++i) b.Put<float>(1);
  b.Put<int32_t>(1).Put<int32_t>(8);
  for (int i = 0; i < 6; ++i) b.Put<float>(i);
  for (int i = 0; i < 6; ++i) b.Put<float>(999);  // third vectors
  Fa2Frame(b, 1, {26}, {4, 5, 6}, 3);
  WriteFile(path, b.data);

  FA2_Reader read;
  ASSERT_EQ(read.Open(path), 0);
  ATOMS_DATA first, second;
  ASSERT_EQ(read.ReadFrame(first), kFrameOk);
  ASSERT_EQ(read.ReadFrame(second), kFrameOk) << read.LastError();
  EXPECT_EQ(second.atomicNumbers[0], 26);
  EXPECT_EQ(second.positions[2], 6.0f);
  EXPECT_EQ(second.box[0], 3.0);

  FA2_Reader skip;
  ASSERT_EQ(skip.Open(path), 0);
  ASSERT_EQ(skip.PeekAtomCount(), 2);
  uint8_t widths[5];
  ASSERT_TRUE(skip.GetWidths(widths));
  EXPECT_EQ(widths[1], 4);
  ASSERT_EQ(skip.SkipFrame(), kFrameOk);
  EXPECT_FALSE(skip.GetWidths(widths));
  EXPECT_EQ(skip.Tell(), 32 + 48 + 2 * (4 + 12 + 12));
  ATOMS_DATA again;
  ASSERT_EQ(skip.ReadFrame(again), kFrameOk);
  EXPECT_EQ(again.positions[0], 4.0f);
}

TEST(FA2Format, SkippingThenReadingEqualsReadingBoth) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  Bytes b;
  Fa2Header(b, 2, 0, {8, 1, 8, 8, 4, 0});
  b.Zeros(96 + 2 + 16 + 48 + 24);
  Fa2Frame(b, 1, {1, 8, 1}, {0, 0, 0, 1, 1, 1, 2, 2, 2}, 5);
  WriteFile(path, b.data);

  FA2_Reader both, skip;
  ASSERT_EQ(both.Open(path), 0);
  ASSERT_EQ(skip.Open(path), 0);
  ATOMS_DATA a, c, d;
  ASSERT_EQ(both.ReadFrame(a), kFrameOk);
  ASSERT_EQ(both.ReadFrame(c), kFrameOk);
  ASSERT_EQ(skip.SkipFrame(), kFrameOk);
  ASSERT_EQ(skip.ReadFrame(d), kFrameOk);
  EXPECT_EQ(both.Tell(), skip.Tell());
  EXPECT_EQ(c.atomCount, d.atomCount);
  EXPECT_TRUE(std::equal(c.positions.begin(), c.positions.end(), d.positions.begin()));
  EXPECT_TRUE(std::equal(c.atomicNumbers.begin(), c.atomicNumbers.end(), d.atomicNumbers.begin()));
  EXPECT_TRUE(std::equal(c.box, c.box + 9, d.box));
}

TEST(FA2Format, OpenAndSeek) {
  TempDir dir;
  FA2_Reader r;
  EXPECT_EQ(r.Open(dir.File("missing.fa2")), -1);
  const std::string path = dir.File("t.fa2");
  Bytes b;
  Fa2Frame(b, 0, {1}, {1, 2, 3}, 10);
  const int64_t second = static_cast<int64_t>(b.data.size());
  Fa2Frame(b, 1, {2}, {4, 5, 6}, 10);
  WriteFile(path, b.data);
  ASSERT_EQ(r.Open(path), 0);
  EXPECT_EQ(r.Open(path), -2);
  ASSERT_EQ(r.PeekAtomCount(), 1);
  // Seeking drops the peeked header: the frame read is the one at the new offset.
  ASSERT_TRUE(r.Seek(second));
  ATOMS_DATA f;
  ASSERT_EQ(r.ReadFrame(f), kFrameOk);
  EXPECT_EQ(f.atomicNumbers[0], 2);
  EXPECT_EQ(r.PeekAtomCount(), 0);
}

TEST(FA2Format, NonPositiveAtomCountEndsTheDataForGood) {
  TempDir dir;
  const std::string path = dir.File("t.fa2");
  for (int32_t marker : {0, -1}) {
    SCOPED_TRACE(marker);
    Bytes b;
    Fa2Frame(b, 0, {1}, {1, 2, 3}, 10);
    Fa2Header(b, marker, 1, {0, 0, 0, 0, 0, 0});
    Fa2Frame(b, 2, {6}, {1, 2, 3}, 10);  // bytes after the end marker are not frames
    WriteFile(path, b.data);
    FA2_Reader r;
    ASSERT_EQ(r.Open(path), 0);
    ATOMS_DATA f;
    ASSERT_EQ(r.ReadFrame(f), kFrameOk);
    EXPECT_EQ(r.PeekAtomCount(), 0);
    EXPECT_EQ(r.PeekAtomCount(), 0);
    EXPECT_EQ(r.SkipFrame(), kFrameEnd);
    EXPECT_EQ(r.ReadFrame(f), kFrameEnd);
  }
}

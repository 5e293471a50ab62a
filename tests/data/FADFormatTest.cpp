#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "data/fa2/FAD_Reader.h"
#include "data/fa2/FAD_Writer.h"

using namespace qvtest;

TEST(FADFormat, WriterFrameSizeAndRoundTrip) {
  TempDir dir;
  const std::string path = dir.File("t.fad");
  FAD_Writer w;
  ASSERT_EQ(w.Open(path), 0);
  const int32_t numbers[3] = {8, 1, 1};
  const float xyz[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const float box[12] = {10, 0, 0, 0, 11, 0, 0, 0, 12, 1, 2, 3};
  EXPECT_EQ(w.WriteFrame(3, numbers, xyz, box), 1);
  EXPECT_EQ(w.ScratchCapacity(), 3u);
  const int32_t n5[5] = {1, 2, 3, 4, 5};
  const float x5[15] = {};
  EXPECT_EQ(w.WriteFrame(5, n5, x5, box), 2);
  EXPECT_GE(w.ScratchCapacity(), 5u);
  EXPECT_EQ(w.WriteFrame(0, n5, x5, box), -4);
  ASSERT_TRUE(w.Close());

  const auto size = [](int64_t n) { return 20 + (4 * n + 8) + 3 * (4 * n + 8) + 56; };
  EXPECT_EQ(static_cast<int64_t>(ReadFile(path).size()), size(3) + size(5));

  FAD_Reader r;
  ASSERT_EQ(r.Open(path), 0);
  ATOMS_DATA f;
  ASSERT_EQ(r.ReadFrame(f), kFrameOk) << r.LastError();
  EXPECT_EQ(r.Tell(), size(3));
  ASSERT_EQ(f.atomCount, 3);
  EXPECT_EQ(f.atomicNumbers[0], 8);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.positions[i], xyz[i]);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.box[i], box[i]);
  EXPECT_EQ(f.origin[2], 3.0);
  EXPECT_FALSE(f.HasTags());
}

TEST(FADFormat, BoxLengthsCentreTheAtoms) {
  TempDir dir;
  const std::string path = dir.File("t.fad");
  Bytes b;
  FadHeader(b, 2, 0, 0x02);
  FadRecord<int32_t>(b, {14, 14});
  FadRecord<float>(b, {0, 1});
  FadRecord<float>(b, {0, -1});
  FadRecord<float>(b, {0, 0.5f});
  FadRecord<float>(b, {10, 20, 30});
  WriteFile(path, b.data);

  FAD_Reader r;
  ASSERT_EQ(r.Open(path), 0);
  ATOMS_DATA f;
  ASSERT_EQ(r.ReadFrame(f), kFrameOk) << r.LastError();
  const double box[9] = {10, 0, 0, 0, 20, 0, 0, 0, 30};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(f.box[i], box[i]) << i;
  EXPECT_EQ(f.origin[0], -5);
  EXPECT_EQ(f.origin[1], -10);
  EXPECT_EQ(f.origin[2], -15);
  EXPECT_EQ(f.positions[0], 5);
  EXPECT_EQ(f.positions[1], 10);
  EXPECT_EQ(f.positions[2], 15);
  EXPECT_EQ(f.positions[3], 6);
  EXPECT_EQ(f.positions[4], 9);
  EXPECT_EQ(f.positions[5], 15.5f);
}

namespace {

// A frame using every flag bit: tags and three further records, float extra data,
// a 12-float box, the 8-byte record and a variable record.
void FullFrame(Bytes& b, int32_t flags, float shift) {
  const int32_t m = 2;
  FadHeader(b, 2, m, flags);
  FadRecord<int32_t>(b, {6, 7});
  if (flags & 0x10) FadRecord<int32_t>(b, {100, 200});
  FadRecord<float>(b, {shift + 1, shift + 2});
  FadRecord<float>(b, {shift + 3, shift + 4});
  FadRecord<float>(b, {shift + 5, shift + 6});
  if (flags & 0x10) {
    for (int k = 0; k < 3; ++k) FadRecord<float>(b, {-9, -9});
  }
  if (flags & 0x01) {
    for (int k = 0; k < 3; ++k) FadRecord<float>(b, {0.5f, 0.5f});
  } else {
    for (int k = 0; k < 2; ++k) FadRecord<int32_t>(b, {3, 3});
  }
  if (flags & 0x02) {
    if (flags & 0x20) {
      FadRecord<float>(b, {8, 0, 0, 0, 9, 0, 0, 0, 10, 1, 2, 3});
    } else {
      FadRecord<float>(b, {8, 9, 10});
    }
  }
  if (flags & 0x04) FadRecord<int32_t>(b, {1, 2});
  if (flags & 0x08) FadRecord<uint8_t>(b, {1, 2, 3, 4, 5, 6, 7});
}

}  // namespace

TEST(FADFormat, SkippingThenReadingEqualsReadingBothForEveryFlag) {
  TempDir dir;
  for (int32_t flags : {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x22, 0x3F, 0x3E, 0x1D}) {
    SCOPED_TRACE(flags);
    const std::string path = dir.File("t.fad");
    Bytes b;
    FullFrame(b, flags, 0);
    FullFrame(b, flags, 100);
    const int64_t end = static_cast<int64_t>(b.data.size());
    WriteFile(path, b.data);

    FAD_Reader both, skip;
    ASSERT_EQ(both.Open(path), 0);
    ASSERT_EQ(skip.Open(path), 0);
    ATOMS_DATA first, a, c;
    ASSERT_EQ(both.ReadFrame(first), kFrameOk) << both.LastError();
    ASSERT_EQ(both.ReadFrame(a), kFrameOk) << both.LastError();
    ASSERT_EQ(skip.SkipFrame(), kFrameOk) << skip.LastError();
    ASSERT_EQ(skip.ReadFrame(c), kFrameOk) << skip.LastError();
    EXPECT_EQ(both.Tell(), end);
    EXPECT_EQ(skip.Tell(), end);
    ASSERT_EQ(a.atomCount, 2);
    EXPECT_TRUE(std::equal(a.positions.begin(), a.positions.end(), c.positions.begin()));
    EXPECT_TRUE(std::equal(a.box, a.box + 9, c.box));
    EXPECT_TRUE(std::equal(a.origin, a.origin + 3, c.origin));
    EXPECT_EQ(a.atomicNumbers[1], 7);
    EXPECT_EQ(a.HasTags(), (flags & 0x10) != 0);
    if (flags & 0x10) {
      EXPECT_EQ(c.tags[1], 200);
    }
    // Box lengths without a full box move atoms by half of (8, 9, 10).
    const bool centred = (flags & 0x02) && !(flags & 0x20);
    EXPECT_EQ(a.positions[0], 101 + (centred ? 4 : 0));
    EXPECT_EQ(a.positions[5], 106 + (centred ? 5 : 0));
    if (!(flags & 0x02)) {
      for (double v : a.box) EXPECT_EQ(v, 0.0);
    }
    if ((flags & 0x22) == 0x22) {
      EXPECT_EQ(a.origin[1], 2.0);
    }
  }
}

// Broken and hostile binary trajectories: the index ends at the first frame that cannot be
// read, with a message naming the file and the offset; complete frames before it stay.
#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "data/MDLoader.h"

using namespace qvtest;

namespace {

struct Loaded {
  size_t slots = 0;
  std::string messages;  // standard error
};

Loaded Load(const std::string& path, const std::vector<unsigned char>& bytes) {
  WriteFile(path, bytes);
  MDLoader m;
  testing::internal::CaptureStderr();
  m.Open(path);
  // Step as far as the file goes: no hang, no crash, nothing past the fault.
  for (int k = 0; k < 10; ++k) m.SetFrame(m.GetFrameIndex() + 1);
  m.GetCurrentFrame();
  Loaded r;
  r.messages = testing::internal::GetCapturedStderr();
  r.slots = m.SlotCount();
  return r;
}

Bytes GoodFa2() {
  Bytes b;
  Fa2Frame(b, 0, {8, 1, 1}, {0, 0, 0, 1, 0, 0, 0, 1, 0}, 10);
  return b;
}
constexpr int64_t kGoodFa2Size = 32 + 48 + 3 + 36;

}  // namespace

TEST(BadInput, Fa2AtomCountLargerThanTheFileEndsTheIndex) {
  TempDir dir;
  const std::string path = dir.File("huge.fa2");
  Bytes b = GoodFa2();
  Fa2Header(b, 2000000000, 1, {4, 1, 0, 4, 0, 0});
  b.Zeros(200 - b.data.size());
  const Loaded r = Load(path, b.data);
  EXPECT_EQ(r.slots, 1u);
  EXPECT_NE(r.messages.find(path), std::string::npos) << r.messages;
  EXPECT_NE(r.messages.find("offset " + std::to_string(kGoodFa2Size)), std::string::npos)
      << r.messages;
  EXPECT_NE(r.messages.find("2000000000 atoms"), std::string::npos) << r.messages;
}

TEST(BadInput, Fa2UnsupportedWidthEndsTheIndexAtThatFrame) {
  TempDir dir;
  for (int block = 0; block < 6; ++block) {
    SCOPED_TRACE(block);
    const std::string path = dir.File("w.fa2");
    Bytes b = GoodFa2();
    std::vector<uint8_t> w = {4, 1, 0, 4, 0, 0};
    w[block] = 2;
    Bytes h;
    Fa2Header(h, 1, 1, {w[0], w[1], w[2], w[3], w[4], w[5]});
    b.data.insert(b.data.end(), h.data.begin(), h.data.end());
    b.Zeros(100);
    const Loaded r = Load(path, b.data);
    EXPECT_EQ(r.slots, 1u);
    EXPECT_NE(r.messages.find("= 2 in the frame header at offset " + std::to_string(kGoodFa2Size)),
              std::string::npos)
        << r.messages;
  }
}

TEST(BadInput, Fa2AtomsWithoutAnyAtomBlockAreRejected) {
  TempDir dir;
  Bytes b = GoodFa2();
  Fa2Header(b, 2000000000, 1, {4, 0, 0, 0, 0, 0});
  b.Zeros(48);
  const Loaded r = Load(dir.File("e.fa2"), b.data);
  EXPECT_EQ(r.slots, 1u);
  EXPECT_NE(r.messages.find("no per-atom block"), std::string::npos) << r.messages;
}

TEST(BadInput, TruncatedFa2KeepsEveryCompleteFrame) {
  TempDir dir;
  Bytes b = GoodFa2();
  Fa2Frame(b, 1, {8}, {1, 1, 1}, 10);
  const size_t two = b.data.size();
  Fa2Frame(b, 2, {8}, {2, 2, 2}, 10);
  for (size_t cut : {two + 10, two + 32, two + 60, b.data.size() - 1}) {
    SCOPED_TRACE(cut);
    std::vector<unsigned char> bytes(b.data.begin(), b.data.begin() + static_cast<long>(cut));
    const Loaded r = Load(dir.File("t.fa2"), bytes);
    EXPECT_EQ(r.slots, 2u);
    EXPECT_NE(r.messages.find("offset " + std::to_string(two)), std::string::npos) << r.messages;
  }
  // Cut exactly between frames: a clean end, no message.
  std::vector<unsigned char> bytes(b.data.begin(), b.data.begin() + static_cast<long>(two));
  const Loaded r = Load(dir.File("t.fa2"), bytes);
  EXPECT_EQ(r.slots, 2u);
  EXPECT_EQ(r.messages, "");
}

TEST(BadInput, FadRecordLengthsAreChecked) {
  TempDir dir;
  auto good = [] {
    Bytes b;
    FadOneAtom(b, 0x22, 1);
    FadRecord<float>(b, {5, 0, 0, 0, 5, 0, 0, 0, 5, 0, 0, 0});
    return b;
  };
  const int64_t goodSize = static_cast<int64_t>(good().data.size());
  struct Case {
    const char* what;
    Bytes bytes;
    const char* message;
  };
  std::vector<Case> cases;
  {  // header record whose lengths are not 12
    Bytes b = good();
    b.Put<int32_t>(16).Put<int32_t>(1).Put<int32_t>(0).Put<int32_t>(0).Put<int32_t>(16).Zeros(64);
    cases.push_back({"header length", b, "lengths 16/16 instead of 12"});
  }
  {  // negative atom count
    Bytes b = good();
    FadHeader(b, -4, 0, 0);
    b.Zeros(64);
    cases.push_back({"negative count", b, "negative atom count -4"});
  }
  {  // atom count far beyond the file
    Bytes b = good();
    FadHeader(b, 2000000000, 0, 0);
    b.Zeros(64);
    cases.push_back({"huge count", b, "claims 2000000000 atoms"});
  }
  {  // extra count far beyond the file
    Bytes b = good();
    FadHeader(b, 1, 2000000000, 0x01);
    b.Zeros(64);
    cases.push_back({"huge extra", b, "2000000000 extra values"});
  }
  {  // variable record with a negative length
    Bytes b = good();
    FadOneAtom(b, 0x08, 1);
    b.Put<int32_t>(-100).Zeros(16);
    cases.push_back({"negative variable", b, "has length -100"});
  }
  {  // variable record longer than the file
    Bytes b = good();
    FadOneAtom(b, 0x08, 1);
    b.Put<int32_t>(1 << 30).Zeros(16);
    cases.push_back({"oversized variable", b, "has length 1073741824"});
  }
  {  // atomic-number record whose length does not match the atom count
    Bytes b = good();
    FadHeader(b, 2, 0, 0);
    FadRecord<int32_t>(b, {8, 1, 1});
    b.Zeros(100);
    cases.push_back({"record mismatch", b, "expected 8"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("bad.fad");
    const Loaded r = Load(path, c.bytes.data);
    EXPECT_EQ(r.slots, 1u);
    EXPECT_NE(r.messages.find(c.message), std::string::npos) << r.messages;
    EXPECT_NE(r.messages.find(path), std::string::npos) << r.messages;
    if (std::string(c.what) != "record mismatch" && std::string(c.what) != "negative variable" &&
        std::string(c.what) != "oversized variable") {
      EXPECT_NE(r.messages.find("offset " + std::to_string(goodSize)), std::string::npos)
          << r.messages;
    }
  }
}

TEST(BadInput, FaultBeyondTheIndexStopsAFarJump) {
  // The fault is found while skipping: the jump stops at the last good frame.
  TempDir dir;
  const std::string path = dir.File("far.fa2");
  Bytes b;
  // Frames of about 6 MiB so that only three are indexed at open.
  const int32_t n = 6 * 1024 * 1024 / 12;
  for (int k = 0; k < 5; ++k) {
    Fa2Header(b, n, k, {4, 0, 0, 4, 0, 0});
    b.Put<float>(k + 1.0f).Zeros(44 + 12 * static_cast<size_t>(n));
  }
  Fa2Header(b, n, 5, {4, 0, 0, 4, 0, 0});  // header with a truncated body
  b.Zeros(100);
  WriteFile(path, b.data);
  MDLoader m;
  ASSERT_EQ(m.Open(path), MDLoader::kFormatFA2);
  EXPECT_EQ(m.SlotCount(), 3u);
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.SetFrame(50), 4);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_NE(messages.find("bytes remain"), std::string::npos) << messages;
  EXPECT_EQ(m.NextFrameOffset(), 0);
  ASSERT_NE(m.GetCurrentFrame(), nullptr);
  EXPECT_EQ(m.GetCurrentFrame()->box[0], 5.0);
}

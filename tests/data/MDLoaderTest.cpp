#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "Fa2Frames.h"
#include "data/MDLoader.h"

using namespace qvtest;

namespace {

constexpr int64_t kMiB = 1024 * 1024;
constexpr int kFrames = 100;
// 32 + 48 + 65531 * (4 + 12) bytes: exactly 1 MiB per frame.
constexpr int32_t kAtoms = 65531;

// 100 frames of 1 MiB; box a.x of frame k is k + 1, atom 0 sits at (k, 0, 0).
class BigTrajectory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    path_ = dir_->File("big.fa2");
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (int k = 0; k < kFrames; ++k) {
      Bytes b;
      Fa2Header(b, kAtoms, k, {4, 4, 0, 4, 0, 0});
      b.Put<float>(k + 1.0f).Zeros(44);
      b.Put<int32_t>(k % 100);  // atomic number of atom 0
      b.Zeros((kAtoms - 1) * 4);
      b.Put<float>(static_cast<float>(k)).Zeros(8);
      std::fwrite(b.data.data(), 1, b.data.size(), f);
      // The rest of the frame is zeros: leave a hole, the file stays small on disk.
      std::fseek(f, kAtoms * 12 - 12, SEEK_CUR);
    }
    std::fflush(f);
    ASSERT_EQ(ftruncate(fileno(f), kFrames * kMiB), 0);
    std::fclose(f);
  }
  static void TearDownTestSuite() { delete dir_; }

  std::unique_ptr<MDLoader> OpenPinned() {
    auto m = std::make_unique<MDLoader>();
    EXPECT_EQ(m->Open(path_), MDLoader::kFormatFA2);
    m->PinSlot(0);
    return m;
  }

  static TempDir* dir_;
  static std::string path_;
};
TempDir* BigTrajectory::dir_ = nullptr;
std::string BigTrajectory::path_;

bool Resident(const MDLoader& m, size_t i) { return m.Slot(i).frame != nullptr; }

}  // namespace

TEST_F(BigTrajectory, OpenIndexesFramesUpTo16MiB) {
  auto m = OpenPinned();
  ASSERT_EQ(m->SlotCount(), 17u);
  EXPECT_EQ(m->ResidentCount(), 17u);
  EXPECT_EQ(m->NextFrameOffset(), 17 * kMiB);
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_EQ(m->Slot(i).offset, static_cast<int64_t>(i) * kMiB);
    EXPECT_EQ(m->Slot(i).frame->index, static_cast<int>(i));
    EXPECT_EQ(m->Slot(i).frame->step, static_cast<int>(i));
  }
  EXPECT_TRUE(m->Slot(0).pinned);
  // Finding frame 17 read only its header.
  EXPECT_EQ(m->Stats()->bodyReads, 17u);
}

TEST_F(BigTrajectory, SteppingPastTheIndexEvictsOneFramePerStep) {
  auto m = OpenPinned();
  EXPECT_EQ(m->SetFrame(16), 16);
  EXPECT_EQ(m->Stats()->bodyReads, 17u);
  EXPECT_EQ(m->SetFrame(17), 17);
  EXPECT_EQ(m->SlotCount(), 18u);
  EXPECT_EQ(m->ResidentCount(), 17u);
  EXPECT_TRUE(Resident(*m, 0));  // pinned
  EXPECT_FALSE(Resident(*m, 1));
  EXPECT_TRUE(Resident(*m, 17));
  EXPECT_EQ(m->NextFrameOffset(), 18 * kMiB);
  EXPECT_EQ(m->GetCurrentFrame()->box[0], 18.0);
  EXPECT_EQ(m->GetCurrentFrame()->index, 17);

  EXPECT_EQ(m->SetFrame(18), 18);
  EXPECT_FALSE(Resident(*m, 2));
  EXPECT_EQ(m->ResidentCount(), 17u);

  // Back to an evicted frame: only the index moves; the box is unknown until the frame is
  // read back, which evicts another frame.
  EXPECT_EQ(m->SetFrame(1), 1);
  double box[9] = {-1}, origin[3] = {-1};
  EXPECT_FALSE(m->GetBox(box, origin));
  EXPECT_EQ(box[0], -1);
  EXPECT_EQ(m->GetBonds(), nullptr);
  ATOMS_DATA* f = m->GetCurrentFrame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->index, 1);
  EXPECT_EQ(f->sequence, 1);
  EXPECT_EQ(f->positions[0], 1.0f);
  EXPECT_EQ(f->atomicNumbers[0], 1);
  EXPECT_FALSE(Resident(*m, 3));
  EXPECT_EQ(m->ResidentCount(), 17u);
  EXPECT_TRUE(m->GetBox(box, origin));
  EXPECT_EQ(box[0], 2.0);
}

TEST_F(BigTrajectory, FarJumpSkipsBodiesAndSteppingBackReadsThem) {
  auto m = OpenPinned();
  const uint64_t bodies = m->Stats()->bodyReads;
  const uint64_t headers = m->Stats()->headerReads;
  EXPECT_EQ(m->SetFrame(60), 60);
  // Frames 17..59 were indexed from their headers; only frame 60 was read whole.
  EXPECT_EQ(m->Stats()->bodyReads, bodies + 1);
  EXPECT_EQ(m->Stats()->headerReads, headers + 43 + 1);
  EXPECT_EQ(m->SlotCount(), 61u);
  EXPECT_EQ(m->ResidentCount(), 17u);
  EXPECT_FALSE(Resident(*m, 40));
  EXPECT_EQ(m->Slot(40).offset, 40 * kMiB);
  EXPECT_EQ(m->GetCurrentFrame()->box[0], 61.0);

  EXPECT_EQ(m->SetFrame(40), 40);
  ATOMS_DATA* f = m->GetCurrentFrame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->index, 40);
  EXPECT_EQ(f->box[0], 41.0);
  EXPECT_EQ(f->positions[0], 40.0f);
  EXPECT_EQ(m->ResidentCount(), 17u);

  // Stepping through already indexed slots reads nothing until a frame is asked for.
  const uint64_t before = m->Stats()->bodyReads;
  EXPECT_EQ(m->SetFrame(45), 45);
  EXPECT_EQ(m->Stats()->bodyReads, before);
  EXPECT_EQ(m->GetCurrentFrame()->index, 45);
}

TEST_F(BigTrajectory, JumpsPastTheEndStopAtTheLastFrame) {
  auto m = OpenPinned();
  EXPECT_EQ(m->SetFrame(1000), kFrames - 1);
  EXPECT_EQ(m->NextFrameOffset(), 0);
  EXPECT_EQ(m->GetCurrentFrame()->box[0], 100.0);
  EXPECT_EQ(m->SetFrame(kFrames), kFrames - 1);
  EXPECT_EQ(m->SlotCount(), static_cast<size_t>(kFrames));
}

TEST(MDLoader, SetFrameBelowZeroAndStepsWithinSmallFiles) {
  TempDir dir;
  const std::string path = dir.File("s.fa2");
  Bytes b;
  for (int k = 0; k < 3; ++k) Fa2Frame(b, k, {k + 1}, {float(k), 0, 0}, 10);
  WriteFile(path, b.data);
  MDLoader m;
  ASSERT_EQ(m.Open(path), MDLoader::kFormatFA2);
  EXPECT_EQ(m.SlotCount(), 3u);
  EXPECT_EQ(m.NextFrameOffset(), 0);
  EXPECT_EQ(m.SetFrame(-5), 0);
  EXPECT_EQ(m.SetFrame(2), 2);
  EXPECT_EQ(m.SetFrame(3), 2);  // no further frame: the index stays
  EXPECT_EQ(m.SetFrame(2), 2);
  EXPECT_EQ(m.SetFrame(-1), 0);
  EXPECT_EQ(m.GetCurrentFrame()->atomicNumbers[0], 1);
}

TEST(MDLoader, BondsAreBuiltOnFirstRequestWithTheContainersCutoff) {
  TempDir dir;
  const std::string path = dir.File("s.fad");
  Bytes b;
  for (int k = 0; k < 2; ++k) {
    FadOneAtom(b, 0x22, float(k));
    FadRecord<float>(b, {5, 0, 0, 0, 5, 0, 0, 0, 5, 0, 0, 0});
  }
  WriteFile(path, b.data);

  std::vector<double> cutoffs;
  LoadOptions o;
  o.bondCutoff = 1.7;
  o.buildBonds = [&](ATOMS_DATA& f, double cutoff) {
    cutoffs.push_back(cutoff);
    f.bonds.bondCount = f.index + 1;
  };
  MDLoader m(o);
  ASSERT_EQ(m.Open(path), MDLoader::kFormatFAD);
  EXPECT_EQ(m.SlotCount(), 2u);
  EXPECT_TRUE(cutoffs.empty());
  ASSERT_NE(m.GetBonds(), nullptr);
  EXPECT_EQ(m.GetBonds()->bondCount, 1);
  EXPECT_EQ(cutoffs, std::vector<double>{1.7});
  m.SetBondCutoff(3.0);
  m.SetFrame(1);
  EXPECT_EQ(m.GetBonds()->bondCount, 2);
  EXPECT_EQ(cutoffs, (std::vector<double>{1.7, 3.0}));

  MDLoader plain;  // no builder: the bonds stay undetermined
  ASSERT_EQ(plain.Open(path), MDLoader::kFormatFAD);
  ASSERT_NE(plain.GetBonds(), nullptr);
  EXPECT_EQ(plain.GetBonds()->bondCount, 0);
}

TEST(MDLoader, OpenFailurePrintsBothLines) {
  MDLoader m;
  testing::internal::CaptureStdout();
  EXPECT_EQ(m.Open("/nonexistent/dir/x.fa2"), MDLoader::kFormatFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "error: file cannot be opened\n"
            "ファイルのオープンに失敗しました : /nonexistent/dir/x.fa2\n");
  EXPECT_EQ(m.SlotCount(), 0u);
  EXPECT_EQ(m.SetFrame(3), 0);
  EXPECT_EQ(m.GetCurrentFrame(), nullptr);
  double box[9], origin[3];
  EXPECT_FALSE(m.GetBox(box, origin));
}

TEST(MDLoader, InMemoryFramesNeverEvictAndReportTheirCount) {
  MDLoader m;
  for (int k = 0; k < 3; ++k) {
    auto f = std::make_unique<ATOMS_DATA>();
    f->Allocate(1);
    f->sequence = k + 1;
    m.AppendFrame(std::move(f));
  }
  testing::internal::CaptureStdout();
  m.FinishInMemoryLoad();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "3 frame loaded\n");
  EXPECT_EQ(m.FormatCode(), MDLoader::kFormatInMemory);
  EXPECT_EQ(m.SetFrame(2), 2);
  EXPECT_EQ(m.SetFrame(5), 2);
  EXPECT_EQ(m.ResidentCount(), 3u);
  EXPECT_EQ(m.GetCurrentFrame()->index, 2);
  EXPECT_EQ(m.GetCurrentFrame()->sequence, 3);
}

// Site-and-path files as a one-frame trajectory.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "auxdata/spk/SPK_Container.h"

namespace {

struct Spk {
  SPK_Reader reader;
  std::unique_ptr<SPK_Container> container;
  int open = 0;
  std::string console;
};

void Read(const std::string& text, Spk& s) {
  testing::internal::CaptureStdout();
  s.open = s.reader.OpenMemory(text, "t.spk");
  if (s.open == 0) s.container = std::make_unique<SPK_Container>(s.reader);
  s.console = testing::internal::GetCapturedStdout();
}

TEST(SpkFile, SitesAreAtomsOfNumberZeroAndPathsAreWrappedBonds) {
  Spk s;
  Read("3 4\ntitle\nBOX 10 0 0 0 10 0 0 0 10 0 0 0\n"
       "SITE 1 5 5\nSITE 9 5 5\nSITE 5 1 9\n"
       "PATH 0 1 0.5 2\nPATH 0 -1 0 0\nPATH 1 2 0 0\nPATH 1 0\n",
       s);
  ASSERT_EQ(s.open, 0);
  ATOMS_DATA* f = s.container->GetCurrentFrame();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->atomCount, 3);
  EXPECT_EQ(f->atomicNumbers[2], 0);
  EXPECT_EQ(f->positions[6], 5.0f);
  EXPECT_EQ(f->box[8], 10);
  const BOND_INFO* b = s.container->GetBonds();
  ASSERT_EQ(b, &f->bonds);
  ASSERT_EQ(b->bondCount, 3) << "j = -1 gives no bond";
  const BOND_ENTRY& e = b->entries[0];
  EXPECT_EQ(e.i, 0);
  EXPECT_EQ(e.j, 1);
  EXPECT_EQ(e.dx, -2.0f) << "9 - 1 = 8 wraps by the box edge 10";
  EXPECT_EQ(b->entries[1].dx, -4.0f);  // 5 - 9: within half the edge
  EXPECT_EQ(b->entries[1].dz, 4.0f);
  EXPECT_EQ(b->entries[2].dx, 2.0f);   // 1 - 9 = -8 wraps up by 10
  EXPECT_EQ(b->counts[1], 3);
  EXPECT_EQ(s.container->Record()->paths[0].q, 2.0);
  EXPECT_EQ(s.container->SetFrame(5), 0);
  EXPECT_EQ(s.container->GetCurrentFrame(), f) << "built once";
}

TEST(SpkFile, AShortFileKeepsWhatItHoldsAndLosesNoPathLine) {
  Spk s;
  Read("4 2\ntitle\nno box here\nSITE 0 0 0\nSITE 1 1 1\nPATH 0 1 0 0\nPATH 1 3 0 0\n", s);
  ASSERT_EQ(s.open, 0);
  const ATOMS_DATA* f = s.container->GetCurrentFrame();
  EXPECT_EQ(f->atomCount, 2) << "only two sites have positions";
  EXPECT_EQ(f->box[0], 0);
  EXPECT_EQ(s.container->Record()->n, 4);
  EXPECT_EQ(s.container->Record()->paths.size(), 2u) << "the line that ended the sites is a path";
  EXPECT_EQ(f->bonds.bondCount, 1) << "a path to a site the file does not hold gives no bond";
  EXPECT_NE(s.console.find("2 of the 4 sites announced"), std::string::npos) << s.console;
}

TEST(SpkFile, CountsBeyondTheFileAllocateNothingFromThem) {
  Spk s;
  Read("2000000000 2000000000\nt\nBOX 1 0 0 0 1 0 0 0 1 0 0 0\nSITE 0 0 0\nPATH 0 0 0 0\n", s);
  ASSERT_EQ(s.open, 0);
  EXPECT_EQ(s.container->GetCurrentFrame()->atomCount, 1);
  EXPECT_LE(s.container->Record()->sites.capacity(), 16u);
  EXPECT_EQ(s.container->GetBonds()->bondCount, 1);
}

TEST(SpkFile, OpenResults) {
  const std::pair<std::string, int> cases[] = {{"0 0\n", -3}, {"-5 1\n", -3}, {"", -3}, {"1\n", 0}};
  for (const auto& [text, result] : cases) {
    SPK_Reader r;
    EXPECT_EQ(r.OpenMemory(text, "t.spk"), result) << text;
  }
  SPK_Reader twice;
  twice.OpenMemory("1 0\n", "t.spk");
  EXPECT_EQ(twice.OpenMemory("1 0\n", "t.spk"), -2);
  EXPECT_EQ(SPK_Container("a.SPK").Status(), -1) << "the extension is compared exactly";
  qvtest::TempDir dir;
  testing::internal::CaptureStdout();
  EXPECT_EQ(SPK_Container(dir.File("missing.spk")).Status(), -1);
  testing::internal::GetCapturedStdout();
}

}  // namespace

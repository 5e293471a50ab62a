#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestSupport.h"
#include "data/md3/MD3.h"
#include "data/md3/MD3Load.h"

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

qv::FrameList LoadText(const std::string& text, std::string* out = nullptr) {
  qvtest::TempDir dir;
  const std::string path = dir.File("t.md3");
  qvtest::WriteText(path, text);
  qv::FrameList frames;
  CaptureStdout();
  qv::LoadMd3Frames(path, frames);
  const std::string o = GetCapturedStdout();
  if (out) *out = o;
  return frames;
}

const char kTwoAtoms[] =
    "2\n"
    "water-ish\n"
    "BOX 10 0 0 0 10 0 0 0 10\n"
    "O 0 0 0\n"
    "H 0.96 0 0\n";

}  // namespace

TEST(Md3Load, TwoAtomFrameWithBox) {
  std::string out;
  auto frames = LoadText(kTwoAtoms, &out);
  ASSERT_EQ(frames.size(), 1u);
  const ATOMS_DATA& f = *frames[0];
  EXPECT_EQ(f.atomCount, 2);
  EXPECT_EQ(f.atomicNumbers[0], 8);
  EXPECT_EQ(f.atomicNumbers[1], 1);
  EXPECT_FLOAT_EQ(f.positions[3], 0.96f);
  EXPECT_EQ(f.box[0], 10.0);
  EXPECT_EQ(f.box[4], 10.0);
  EXPECT_EQ(f.box[8], 10.0);
  EXPECT_EQ(f.box[1], 0.0);
  EXPECT_EQ(f.origin[0], 0.0);
  EXPECT_FALSE(f.HasVectors());
  EXPECT_EQ(out, "");  // a sound file gives no diagnostics
}

TEST(Md3Load, FrameWithoutBoxKeepsPreviousBoxAndCommentsAreSkipped) {
  auto frames = LoadText(std::string(kTwoAtoms) +
                         "2\n"
                         "second\n"
                         "O 1 1 1\n"
                         "# a comment between atoms\n"
                         "STRESS 1 2 3 4 5 6 7 8 9\n"
                         "H 2 2 2\n");
  ASSERT_EQ(frames.size(), 2u);
  const ATOMS_DATA& f = *frames[1];
  EXPECT_EQ(f.index, 1);
  EXPECT_EQ(f.sequence, 1);
  EXPECT_EQ(f.step, 1);
  EXPECT_EQ(f.box[0], 10.0);
  EXPECT_EQ(f.box[8], 10.0);
  EXPECT_EQ(f.atomicNumbers[1], 1);
  EXPECT_EQ(f.positions[5], 2.0f);
}

TEST(Md3Reader, StatusProtocolAndDestinationForms) {
  const std::string text =
      "2\n"
      "t0\n"
      "STRESS 1 2 3 4 5 6 7 8 9\n"
      "Fe 1 2 3  4 5 6  7 8 9\n"
      "Zz 1.5 2.5 3.5\n"
      "1\n"
      "t1\n"
      "O 1 1 1\n"
      "O 2 2 2\n";
  vrk::MD3_Reader2<float> r;
  ASSERT_EQ(r.OpenMemory(text), 0);
  EXPECT_EQ(r.GetCount(), 2);
  float x[2], y[2], z[2], v3[6], stress[9] = {};
  int32_t num[2];
  std::string title;
  r.SetAtomicNumbers(num);
  r.SetPositions(x, y, z);
  r.SetVectors3(v3);  // without a second vector the three numbers after x y z are skipped
  r.SetTitle(&title);
  r.SetStress(stress);
  EXPECT_EQ(r.ReadFrame(), 1);
  EXPECT_EQ(r.GetCount(), 1);  // the next frame's count
  EXPECT_EQ(title, "t0\n");
  EXPECT_EQ(num[0], 26);
  EXPECT_EQ(num[1], -1);
  EXPECT_EQ(y[1], 2.5f);
  EXPECT_EQ(v3[0], 7.0f);
  EXPECT_EQ(v3[2], 9.0f);
  EXPECT_EQ(stress[8], 9.0f);

  float pos[3];
  r.ResetDestinations();
  r.SetPositions(pos);
  EXPECT_EQ(r.ReadFrame(), 2);
  EXPECT_EQ(r.GetCount(), vrk::kMD3TooManyAtoms);
  EXPECT_EQ(pos[2], 1.0f);  // the extra atom line was not taken
}

TEST(Md3Reader, ShortFrameIsZeroFilledAndEndStatus) {
  vrk::MD3_Reader2<float> r;
  ASSERT_EQ(r.OpenMemory("3\nt\nH 1 1 1\n\nH 5 5 5\n"), 0);
  float pos[9], v2[9];
  int32_t num[3];
  for (float& v : pos) v = 99;
  for (float& v : v2) v = 99;
  r.SetAtomicNumbers(num);
  r.SetPositions(pos);
  r.SetVectors2(v2);
  EXPECT_EQ(r.ReadFrame(), 1);
  EXPECT_EQ(r.GetCount(), vrk::kMD3TooFewAtoms);
  EXPECT_EQ(r.AtomsRead(), 1);
  EXPECT_EQ(v2[0], 0.0f);  // the line had no second vector
  for (int i = 3; i < 9; ++i) {
    EXPECT_EQ(pos[i], 0.0f);
    EXPECT_EQ(v2[i], 0.0f);
  }

  vrk::MD3_Reader2<float> full;
  ASSERT_EQ(full.OpenMemory("1\nt\nH 1 1 1\n\ntrailing"), 0);
  full.SetPositions(pos);
  full.ReadFrame();
  EXPECT_EQ(full.GetCount(), vrk::kMD3End);
}

TEST(Md3Reader, OpenRejectsMissingOrNonPositiveFirstCount) {
  for (const char* text : {"", "0\nt\n", "-3\nt\nH 0 0 0\n", "abc\n", "\x7f\x45\x4c\x46\x02"}) {
    vrk::MD3_Reader2<float> r;
    EXPECT_EQ(r.OpenMemory(text), -1) << text;
  }
  vrk::MD3_Reader2<float> r;
  EXPECT_EQ(r.Open("/nonexistent/dir/x.md3"), -1);
  ASSERT_EQ(r.OpenMemory("1\n"), 0);
  EXPECT_EQ(r.OpenMemory("1\n"), -1);  // already open
  EXPECT_EQ(r.ReadFrame(), 0);         // no title line
  EXPECT_EQ(r.GetCount(), 0);
}

TEST(Md3Load, BadInputKeepsCompleteFramesWithMessage) {
  std::string out;
  // The second frame claims far more atoms than the file holds: no allocation, stop.
  auto frames = LoadText(std::string(kTwoAtoms) + "2000000000\nbig\nH 0 0 0\n", &out);
  EXPECT_EQ(frames.size(), 1u);
  EXPECT_NE(out.find("frame 1 declares 2000000000 atoms"), std::string::npos) << out;

  frames = LoadText("2\nt\nH 1 nan 3\nH inf 1e999 -1e999\n", &out);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->positions[1], 0.0f);
  EXPECT_EQ(frames[0]->positions[3], 0.0f);
  EXPECT_EQ(frames[0]->positions[5], 0.0f);
  EXPECT_NE(out.find("4 values that are not finite numbers"), std::string::npos) << out;

  frames = LoadText("3\nt\nO 1 2 3\n", &out);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0]->atomCount, 3);
  EXPECT_EQ(frames[0]->positions[8], 0.0f);
  EXPECT_NE(out.find("frame 0 ends after 1 of its 3 atoms"), std::string::npos) << out;

  frames = LoadText("", &out);
  EXPECT_TRUE(frames.empty());
}

TEST(Md3Writer, OneHydrogenExactText) {
  qvtest::TempDir dir;
  const std::string path = dir.File("h.md3");
  vrk::MD3_Writer2<float> w;
  ASSERT_EQ(w.Open(path.c_str()), 0);
  const int32_t z = 1;
  const float pos[3] = {1, 2, 3};
  w.SetCount(1);
  w.SetAtomicNumbers(&z);
  w.SetPositions(pos);
  EXPECT_EQ(w.WriteFrame(), 1);
  w.Close();
  EXPECT_EQ(qvtest::ReadText(path),
            "1\n"
            "frame = 0\n"
            "BOX       10.00000000       0.00000000       0.00000000       0.00000000      "
            "10.00000000       0.00000000       0.00000000       0.00000000      10.00000000\n"
            "   H        1.00000000       2.00000000       3.00000000\n");
  EXPECT_EQ(w.WriteFrame(), -1);  // closed
}

TEST(Md3Writer, RoundTripKeepsSymbolsPositionsBoxVectorsAndUnknowns) {
  qvtest::TempDir dir;
  const std::string path = dir.File("rt.md3");
  const int32_t z[3] = {8, -1, 150};
  const float pos[9] = {1.12345678f, -2.5f, 3.0f, 1e-3f, 123.456f, -7.0f, 0, 0, 0};
  const float x[3] = {1, 2, 3}, y[3] = {4, 5, 6}, zz[3] = {7, 8, 9};
  const float v3[9] = {9, 8, 7, 6, 5, 4, 3, 2, 1};
  const float box[9] = {12.5f, 0, 0, 0.5f, 13, 0, 0, 0, 14};
  {
    vrk::MD3_Writer2<float> w;
    ASSERT_EQ(w.Open(path.c_str()), 0);
    w.SetCount(3);
    w.SetAtomicNumbers(z);
    w.SetPositions(pos);
    w.SetVectors2(x, y, zz);
    w.SetVectors3(v3);
    w.SetBox(box);
    w.SetTitle("first");
    w.WriteFrame();
  }
  vrk::MD3_Reader2<float> r;
  ASSERT_EQ(r.Open(path.c_str()), 0);
  int32_t rz[3];
  float rp[9], rv2[9], rv3[9], rb[9];
  std::string title;
  r.SetAtomicNumbers(rz);
  r.SetPositions(rp);
  r.SetVectors2(rv2);
  r.SetVectors3(rv3);
  r.SetBox(rb);
  r.SetTitle(&title);
  ASSERT_EQ(r.ReadFrame(), 1);
  EXPECT_EQ(r.GetCount(), vrk::kMD3End);
  EXPECT_EQ(title, "first\n");
  EXPECT_EQ(rz[0], 8);
  EXPECT_EQ(rz[1], -1);
  EXPECT_EQ(rz[2], -1);  // unknown numbers stay unknown
  for (int i = 0; i < 9; ++i) {
    EXPECT_NEAR(rp[i], pos[i], 5e-9 + std::fabs(pos[i]) * 1e-7) << i;
    EXPECT_EQ(rv3[i], v3[i]);
    EXPECT_EQ(rb[i], box[i]);
  }
  EXPECT_EQ(rv2[0], 1.0f);
  EXPECT_EQ(rv2[1], 4.0f);
  EXPECT_EQ(rv2[2], 7.0f);
}

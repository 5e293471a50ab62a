// qvtool render: bitmaps drawn headless through the viewer's own scene and bitmap code.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Fa2Frames.h"
#include "TestSupport.h"

namespace {

struct Bmp {
  int width = 0, height = 0;
  std::vector<unsigned char> bytes;
  size_t Stride() const { return (3 * size_t(width) + 3) / 4 * 4; }
  // Blue, green, red of pixel (x, y), y from the bottom.
  const unsigned char* At(int x, int y) const { return &bytes[54 + Stride() * y + 3 * x]; }
  int NonBlack() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += (At(x, y)[0] | At(x, y)[1] | At(x, y)[2]) != 0;
    return n;
  }
};

Bmp ReadBmp(const std::string& path) {
  Bmp b;
  b.bytes = qvtest::ReadFile(path);
  if (b.bytes.size() < 54 || b.bytes[0] != 'B' || b.bytes[1] != 'M') return b;
  auto u32 = [&](size_t at) {
    return int(b.bytes[at] | b.bytes[at + 1] << 8 | b.bytes[at + 2] << 16 | b.bytes[at + 3] << 24);
  };
  b.width = u32(18);
  b.height = u32(22);
  if (b.bytes.size() != 54 + b.Stride() * b.height) b.width = b.height = 0;
  return b;
}

class QvToolRender : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two frames: an oxygen at the centre of a 10 Å cube, then the same oxygen moved up.
    input = dir.File("run.fa2");
    qvtest::WriteFile(input, Frames(8, {5.f, 5.f, 5.f}, {5.f, 5.f, 8.f}));
    other = dir.File("other.fa2");
    qvtest::WriteFile(other, Frames(17, {2.f, 5.f, 5.f}, {2.f, 5.f, 5.f}));
  }
  static std::vector<unsigned char> Frames(int32_t z, std::array<float, 3> p0,
                                           std::array<float, 3> p1) {
    qvtest::Bytes b;
    for (int frame = 0; frame < 2; ++frame) {
      const std::array<float, 3>& p = frame ? p1 : p0;
      fa2test::AppendFrame(b, frame, {10, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0},
                           {{z, p[0], p[1], p[2]}});
    }
    return b.data;
  }
  // Runs qvtool with defaults for every setting (an empty settings file).
  int Run(const std::string& args, std::string* out = nullptr) {
    std::string dummy;
    return qvtest::RunCommand(std::string(QV_QVTOOL_PATH) + " render " + args +
                                  " --settings /dev/null --set VISUAL:AtomRadius=1 2>&1",
                              out ? out : &dummy);
  }
  std::string Q(const std::string& s) { return "'" + s + "'"; }

  qvtest::TempDir dir;
  std::string input, other;
};

TEST_F(QvToolRender, DefaultNameSizeAndTheAtomInItsElementColour) {
  std::string out;
  ASSERT_EQ(Run(Q(input), &out), 0) << out;
  EXPECT_EQ(out, dir.File("run0000.bmp") + "\n");
  const Bmp b = ReadBmp(dir.File("run0000.bmp"));
  ASSERT_EQ(b.width, 640);
  ASSERT_EQ(b.height, 480);
  const unsigned char* centre = b.At(320, 240);
  EXPECT_GT(centre[2], 100);  // oxygen is red
  EXPECT_LT(centre[1], 30);
  EXPECT_LT(centre[0], 30);
  // The box (default "Box" on) in white on the default black background.
  int white = 0;
  for (int x = 0; x < 640; ++x) white += b.At(x, 240)[0] > 200 && b.At(x, 240)[1] > 200;
  EXPECT_GE(white, 4);
}

TEST_F(QvToolRender, FrameSizeMagnificationAndPng) {
  std::string out;
  ASSERT_EQ(Run(Q(input) + " --frame 1 --size 101x60", &out), 0) << out;
  Bmp b = ReadBmp(dir.File("run0001.bmp"));
  EXPECT_EQ(b.width, 101);
  EXPECT_EQ(b.Stride(), 304u);
  // The atom moved up: above the centre now.
  EXPECT_LT(b.At(50, 30)[2], 50);
  ASSERT_EQ(Run(Q(input) + " --size 50x40 --magnify 3 -o " + Q(dir.File("big.bmp")), &out), 0);
  b = ReadBmp(dir.File("big.bmp"));
  EXPECT_EQ(b.width, 150);
  EXPECT_EQ(b.height, 120);
  ASSERT_EQ(Run(Q(input) + " --size 50x40 -o " + Q(dir.File("p.png")), &out), 0) << out;
  const auto png = qvtest::ReadFile(dir.File("p.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(png[19], 50);
  EXPECT_EQ(png[23], 40);
  // Without a usable window size in the settings, the size the viewer's window takes.
  ASSERT_EQ(
      Run(Q(input) + " --set WINDOW:Width=0 --set WINDOW:Height=-5 -o " + Q(dir.File("w.bmp")),
          &out),
      0)
      << out;
  b = ReadBmp(dir.File("w.bmp"));
  EXPECT_EQ(b.width, 640);
  EXPECT_EQ(b.height, 480);
}

TEST_F(QvToolRender, DisplaySettingsAreHonoured) {
  std::string out;
  auto render = [&](const std::string& sets) {
    const std::string path = dir.File("s.bmp");
    EXPECT_EQ(Run(Q(input) + " --size 80x60 -o " + Q(path) + " " + sets, &out), 0) << out;
    return ReadBmp(path);
  };
  const Bmp plain = render("");
  const Bmp noBox = render("--set VISUAL:Box=0");
  EXPECT_LT(noBox.NonBlack(), plain.NonBlack());
  const Bmp noAtoms = render("--set VISUAL:Box=0 --set VISUAL:Atom=0");
  EXPECT_EQ(noAtoms.NonBlack(), 0);
  const Bmp white = render("--set VISUAL:BGColor=1,1,1");
  EXPECT_EQ(white.At(0, 0)[0], 255);
  EXPECT_EQ(white.At(0, 0)[2], 255);
}

TEST_F(QvToolRender, SeveralFilesSideBySideOrSuperimposed) {
  std::string out;
  const std::string path = dir.File("m.bmp");
  ASSERT_EQ(Run(Q(input) + " " + Q(other) + " --size 120x60 --set VISUAL:Box=0 -o " + Q(path) +
                    " --set WINDOW:Multiview=1",
                &out),
            0)
      << out;
  Bmp b = ReadBmp(path);
  // Two cells side by side: oxygen (red) centred in the left one, chlorine (green) in the right
  // one, left of its cell's centre.
  EXPECT_GT(b.At(30, 30)[2], 100);
  EXPECT_LT(b.At(30, 30)[1], 30);
  int green = 0;
  for (int x = 60; x < 120; ++x) green += b.At(x, 30)[1] > 100 && b.At(x, 30)[2] < 30;
  EXPECT_GT(green, 0);
  ASSERT_EQ(Run(Q(input) + " " + Q(other) + " --size 120x60 --set VISUAL:Box=0 -o " + Q(path) +
                    " --set WINDOW:Multiview=0",
                &out),
            0);
  b = ReadBmp(path);
  EXPECT_GT(b.At(60, 30)[2], 100) << "superimposed: oxygen at the centre of the whole picture";
}

TEST_F(QvToolRender, BondsFollowTheCutoff) {
  // Two hydrogens 3 Å apart across the centre of the box.
  qvtest::Bytes b;
  b.Put<int32_t>(2).Put<int32_t>(0);
  b.Put<uint8_t>(4).Put<uint8_t>(4).Put<uint8_t>(0).Put<uint8_t>(4).Put<uint8_t>(0);
  b.Put<uint8_t>(0).Zeros(18);
  for (float v : {10.f, 0.f, 0.f, 0.f, 10.f, 0.f, 0.f, 0.f, 10.f, 0.f, 0.f, 0.f}) b.Put(v);
  b.Put<int32_t>(1).Put<int32_t>(1);
  for (float v : {3.5f, 5.f, 5.f, 6.5f, 5.f, 5.f}) b.Put(v);
  const std::string pair = dir.File("pair.fa2");
  qvtest::WriteFile(pair, b.data);
  const std::string path = dir.File("pair.bmp");
  std::string out;
  // Atoms of radius 1 (bonds 0.25 thick) leave the middle pixel to the bond alone.
  ASSERT_EQ(Run(Q(pair) + " --size 80x60 --set VISUAL:Box=0 --cutoff 3.5 -o " + Q(path), &out), 0)
      << out;
  EXPECT_GT(ReadBmp(path).At(40, 30)[1], 100);
  ASSERT_EQ(Run(Q(pair) + " --size 80x60 --set VISUAL:Box=0 --cutoff 2.5 -o " + Q(path), &out), 0);
  EXPECT_EQ(ReadBmp(path).At(40, 30)[1], 0);
  ASSERT_EQ(Run(Q(pair) + " --size 80x60 --set VISUAL:Box=0 --set VISUAL:Bond=0 --cutoff 3.5 -o " +
                    Q(path),
                &out),
            0);
  EXPECT_EQ(ReadBmp(path).At(40, 30)[1], 0);
}

TEST_F(QvToolRender, BackEndOptionOverridesTheSettingAndBothDrawTheSamePicture) {
  std::string out;
  auto render = [&](const std::string& extra) {
    const std::string path = dir.File("b.bmp");
    EXPECT_EQ(Run(Q(input) + " --size 80x60 -o " + Q(path) + " " + extra, &out), 0) << out;
    return ReadBmp(path);
  };
  const Bmp gl15 = render("--backend gl15");
  const Bmp gl33 = render("--backend gl33 --set GPUDriver:DirectX11=0");
  const Bmp byDefault = render("");  // "DirectX11" = 1: the shader back end
  const Bmp bySetting = render("--set GPUDriver:DirectX11=0");
  ASSERT_EQ(gl15.bytes.size(), gl33.bytes.size());
  auto differing = [](const Bmp& a, const Bmp& b) {
    int n = 0;
    for (size_t i = 54; i < a.bytes.size(); ++i) n += std::abs(a.bytes[i] - b.bytes[i]) > 12;
    return n;
  };
  EXPECT_GT(gl15.NonBlack(), 100);
  EXPECT_LT(differing(gl15, gl33), 40) << "same colours, radius and box";
  EXPECT_EQ(differing(byDefault, gl33), 0);
  EXPECT_EQ(differing(bySetting, gl15), 0);
  EXPECT_EQ(Run(Q(input) + " --backend dx11", &out), 2);
  EXPECT_NE(out.find("gl15 or gl33"), std::string::npos) << out;
}

TEST_F(QvToolRender, BadRequestsAndUnwritableFiles) {
  std::string out;
  EXPECT_EQ(Run(Q(input) + " --size 10by10", &out), 2);
  EXPECT_EQ(Run(Q(input) + " --size 0x10", &out), 2);
  EXPECT_EQ(Run(Q(input) + " --magnify 0", &out), 2);
  EXPECT_EQ(Run(Q(input) + " --size 16000x16000 --magnify 8", &out), 2) << out;
  EXPECT_EQ(Run(Q(dir.File("missing.fa2")), &out), 1);
  EXPECT_EQ(Run(Q(input) + " -o /nonexistent-dir/x.bmp", &out), 1);
  EXPECT_NE(out.find("bmpファイルの作成に失敗しました\n"), std::string::npos) << out;
}

}  // namespace

namespace {

TEST_F(QvToolRender, ABitmapCutShortByTheFileSizeLimitIsRemovedAndReported) {
  // 16 blocks are far below the 921,654 bytes of the picture; the signal the limit sends is
  // ignored, so the write fails as on a full disk.
  const std::string path = dir.File("cut.bmp");
  std::string out;
  const int status = qvtest::RunCommand(
      "sh -c \"trap '' XFSZ; ulimit -f 16; exec " + std::string(QV_QVTOOL_PATH) + " render " +
          Q(input) + " --settings /dev/null -o " + Q(path) + "\" 2>&1",
      &out);
  EXPECT_EQ(status, 1) << out;
  EXPECT_FALSE(std::filesystem::exists(path)) << "a truncated picture was left under its name";
  EXPECT_NE(out.find("writing '" + path + "' failed"), std::string::npos) << out;
}

// Every command reads --size the same way (only the limits differ).
TEST_F(QvToolRender, SizeSyntaxIsTheSameForEveryCommand) {
  for (const char* command : {"render", "eps"}) {
    for (const char* size : {"64x 48", " 64x48", "+64x48", "64x48 ", "64x-48", "64"}) {
      std::string out;
      const std::string cmd = std::string(QV_QVTOOL_PATH) + " " + command + " " + Q(input) +
                              " --settings /dev/null --size '" + size + "' 2>&1";
      EXPECT_EQ(qvtest::RunCommand(cmd, &out), 2) << command << " '" << size << "': " << out;
    }
  }
}

}  // namespace

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "output/BitmapFile.h"

namespace {

uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(BmpFile, HeaderAndBottomUpPaddedRows) {
  qv::BgrImage image;
  ASSERT_TRUE(image.Allocate(101, 2));
  EXPECT_EQ(image.stride, 304u);
  image.Row(0)[0] = 1;    // bottom-left blue
  image.Row(1)[302] = 9;  // top-right red
  qvtest::TempDir dir;
  FILE* f = qv::OpenBitmapFile(dir.File("a.bmp"));
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(qv::WriteImageFile(f, dir.File("a.bmp"), image));
  const auto b = qvtest::ReadFile(dir.File("a.bmp"));
  ASSERT_EQ(b.size(), 54u + 608u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(U32(b, 2), 662u);
  EXPECT_EQ(U32(b, 6), 0u);
  EXPECT_EQ(U32(b, 10), 54u);
  EXPECT_EQ(U32(b, 14), 40u);
  EXPECT_EQ(U32(b, 18), 101u);
  EXPECT_EQ(U32(b, 22), 2u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  EXPECT_EQ(U32(b, 30), 0u);
  EXPECT_EQ(U32(b, 34), 608u);
  for (size_t at : {38u, 42u, 46u, 50u}) EXPECT_EQ(U32(b, at), 0u) << at;
  EXPECT_EQ(b[54], 1);
  EXPECT_EQ(b[54 + 304 + 302], 9);
  EXPECT_EQ(b[54 + 303], 0);
}

TEST(BmpFile, StridesAndUnrepresentableSizes) {
  EXPECT_EQ(qv::BgrImage::Stride(1), 4u);
  EXPECT_EQ(qv::BgrImage::Stride(4), 12u);
  EXPECT_EQ(qv::BgrImage::Stride(640), 1920u);
  qv::BgrImage image;
  EXPECT_FALSE(image.Allocate(0, 5));
  EXPECT_FALSE(image.Allocate(5, -1));
  EXPECT_FALSE(image.Allocate(40000, 40000));  // 4.8 GB: beyond the 32-bit file size
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_TRUE(qv::BgrImage::Representable(30000, 30000));
}

TEST(BmpFile, PngBesideBmp) {
  qv::BgrImage image;
  ASSERT_TRUE(image.Allocate(3, 2));
  qvtest::TempDir dir;
  const std::string path = dir.File("p.PNG");
  EXPECT_TRUE(qv::IsPngPath(path));
  EXPECT_FALSE(qv::IsPngPath(dir.File("p.bmp")));
  FILE* f = qv::OpenBitmapFile(path);
  ASSERT_TRUE(qv::WriteImageFile(f, path, image));
  const auto b = qvtest::ReadFile(path);
  ASSERT_GT(b.size(), 33u);
  EXPECT_EQ(std::string(b.begin() + 1, b.begin() + 4), "PNG");
  EXPECT_EQ(b[19], 3);  // IHDR width (big-endian)
  EXPECT_EQ(b[23], 2);
  EXPECT_EQ(b[25], 2);  // RGB
}

TEST(BmpFile, CannotCreatePrintsTheMessage) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(qv::OpenBitmapFile("/nonexistent-dir/x.bmp"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "bmpファイルの作成に失敗しました\n");
}

TEST(BitmapNames, NumbersMagnificationAndDefaultPath) {
  EXPECT_EQ(qv::BitmapFileName("run", 7), "run0007.bmp");
  EXPECT_EQ(qv::BitmapFileName("run", 9), "run0009.bmp");
  EXPECT_EQ(qv::BitmapFileName("run", 10), "run0010.bmp");
  EXPECT_EQ(qv::BitmapFileName("run", 999), "run0999.bmp");
  EXPECT_EQ(qv::BitmapFileName("run", 1000), "run1000.bmp");
  EXPECT_EQ(qv::BitmapFileName("run", 12345), "run12345.bmp");
  EXPECT_EQ(qv::LargeBitmapFileName("run", 2, 15), "run_x2_15.bmp");
  EXPECT_EQ(qv::BitmapBaseName("/data/sim/run.fa2", ""), "/data/sim/run");
  EXPECT_EQ(qv::BitmapBaseName("/data/sim/run.fa2", "/out"), "/out/run");
  EXPECT_EQ(qv::BitmapBaseName("/data/sim/run.fa2", "/out/"), "/out/run");
  EXPECT_EQ(qv::BitmapBaseName("/data/sim/run.x.fa2", "/out"), "/out/run.x");
  // The only dot is in a directory name: everything after it goes.
  EXPECT_EQ(qv::BitmapBaseName("/data/v1.2/run", ""), "/data/v1");
  // With "DefaultPath" only the file's own name counts, so nothing is cut there.
  EXPECT_EQ(qv::BitmapBaseName("/data/v1.2/run", "/out"), "/out/run");
}

}  // namespace

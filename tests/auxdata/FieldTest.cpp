// Scalar fields: the colour rule, the cube and bif readers and their refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "auxdata/field/Field3DLoader.h"

namespace {

struct ColorCase {
  double v;
  uint8_t r, g, b, a;
};

class FieldColorTest : public testing::TestWithParam<ColorCase> {};

TEST_P(FieldColorTest, MapsTheValue) {
  const ColorCase c = GetParam();
  uint8_t rgba[4];
  qv::FieldColor(c.v, rgba);
  EXPECT_EQ(std::vector<int>(rgba, rgba + 4), (std::vector<int>{c.r, c.g, c.b, c.a})) << c.v;
}

INSTANTIATE_TEST_SUITE_P(
    Values, FieldColorTest,
    testing::Values(ColorCase{0.55, 0, 215, 30, 52},  // between control points 5 and 6
                    ColorCase{0.05, 19, 0, 53, 0},    // opacity 4 is below 8: invisible
                    ColorCase{1.0, 255, 0, 0, 96},    // the top is red
                    ColorCase{0.0, 0, 0, 0, 0}, ColorCase{-0.5, 0, 0, 0, 0},
                    ColorCase{0.9, 180, 60, 0, 86},
                    // Raw bif values beyond 2.65 saturate instead of wrapping to transparent.
                    ColorCase{3.0, 255, 0, 0, 255}, ColorCase{1e300, 255, 0, 0, 255},
                    ColorCase{std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, 0}));

int ReadField(const std::string& path, Field3DLoader& f, std::string* console = nullptr) {
  testing::internal::CaptureStdout();
  const int r = f.Read(path);
  const std::string out = testing::internal::GetCapturedStdout();
  if (console) *console = out;
  return r;
}

std::vector<uint8_t> ColorOf(double v) {
  uint8_t rgba[4];
  qv::FieldColor(v, rgba);
  return {rgba, rgba + 4};
}

std::vector<uint8_t> Cell(const FieldFrame& f, size_t i) {
  return {f.cells.begin() + 4 * i, f.cells.begin() + 4 * i + 4};
}

const char kCubeHeader[] =
    "comment\ncomment\n"
    "    2    1.0    2.0    3.0\n"
    "    2    0.5    0.0    0.0\n"
    "    1    0.0    0.25   0.0\n"
    "    3    0.0    0.0    2.0\n"
    "    8    0.0    0.0    0.0    0.0\n"
    "    1    0.0    1.0    1.0    1.0\n";

TEST(CubeReader, NormalisesToTheFieldsExtremesAndScalesTheVoxelVectors) {
  qvtest::TempDir dir;
  const std::string path = dir.File("f.cube");
  const float v[6] = {-1, 3, 0.5f, 1.2f, 2, 3};  // the reader keeps 32-bit values
  qvtest::WriteText(path, std::string(kCubeHeader) + "-1 3 0.5\n1.2E0\t2\r\n3\n");
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  ASSERT_EQ(f.FrameCount(), 1);
  const FieldFrame& fr = f.Frame(0);
  EXPECT_EQ((std::vector<int>{fr.nx, fr.ny, fr.nz}), (std::vector<int>{2, 1, 3}));
  EXPECT_EQ(std::vector<double>(fr.box, fr.box + 9),
            (std::vector<double>{1, 0, 0, 0, 0.25, 0, 0, 0, 6}));
  EXPECT_EQ(std::vector<double>(fr.origin, fr.origin + 3), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(fr.valueMin, -1);
  EXPECT_EQ(fr.valueMax, 3);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(Cell(fr, i), ColorOf((double{v[i]} + 1) / 4)) << i;
}

TEST(CubeReader, AllNegativeValuesKeepTheMaximumAtZero) {
  qvtest::TempDir dir;
  const std::string path = dir.File("neg.cube");
  qvtest::WriteText(path, std::string(kCubeHeader) + "-4 -3 -2 -1 -4 -2\n");
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  const FieldFrame& fr = f.Frame(0);
  EXPECT_EQ(fr.valueMin, -4);
  EXPECT_EQ(fr.valueMax, 0);
  EXPECT_EQ(Cell(fr, 0), ColorOf(0));
  EXPECT_EQ(Cell(fr, 3), ColorOf(0.75)) << "-1 is three quarters of the way from -4 to 0";
}

TEST(CubeReader, ANegativeAtomCountSkipsTheAtomsAndTheDataSetLine) {
  qvtest::TempDir dir;
  const std::string path = dir.File("mo.cube");
  qvtest::WriteText(path,
                    "c\nc\n -2 0 0 0\n 1 1 0 0\n 1 0 1 0\n 2 0 0 1\n"
                    " 8 0 0 0 0\n 1 0 1 1 1\n    1   7\n 0 1\n");
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  EXPECT_EQ(Cell(f.Frame(0), 1), ColorOf(1));
}

TEST(CubeReader, AConstantFieldTakesTheBottomColour) {
  qvtest::TempDir dir;
  const std::string path = dir.File("flat.cube");
  qvtest::WriteText(path, "c\nc\n 0 0 0 0\n 1 1 0 0\n 1 0 1 0\n 2 0 0 1\n0 0\n");
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  EXPECT_EQ(Cell(f.Frame(0), 1), ColorOf(0));
}

// Files ASE wrote (tests/files/field/make_cubes.py): value(i, j, k) = i + 10 j + 100 k - 123,
// x varying slowest, so cell (i, j, k) is at (i * ny + j) * nz + k.
TEST(CubeReader, ReadsFilesOfAnIndependentWriterInItsCellOrder) {
  Field3DLoader f;
  ASSERT_EQ(ReadField(qvtest::TestFile("field/water_3x4x5.cube"), f), 0);
  const FieldFrame& fr = f.Frame(0);
  ASSERT_EQ((std::vector<int>{fr.nx, fr.ny, fr.nz}), (std::vector<int>{3, 4, 5}));
  const double lo = -123, hi = 2 + 30 + 400 - 123;
  EXPECT_EQ(fr.valueMin, lo);
  EXPECT_EQ(fr.valueMax, hi);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      for (int k = 0; k < 5; ++k) {
        const size_t cell = static_cast<size_t>((i * 4 + j) * 5 + k);
        const double v = i + 10 * j + 100 * k - 123;
        ASSERT_EQ(Cell(fr, cell), ColorOf((v - lo) / (hi - lo))) << i << j << k;
      }
    }
  }
  // A 4 x 5 x 6 angstrom cell, written in bohr.
  const double bohr = 0.52917721;
  EXPECT_NEAR(fr.box[0], 4 / bohr, 1e-4);
  EXPECT_NEAR(fr.box[4], 5 / bohr, 1e-4);
  EXPECT_NEAR(fr.box[8], 6 / bohr, 1e-4);
  EXPECT_EQ(fr.box[1], 0);

  Field3DLoader neg;
  ASSERT_EQ(ReadField(qvtest::TestFile("field/negative_2x2x2.cube"), neg), 0);
  const FieldFrame& n = neg.Frame(0);
  EXPECT_EQ(n.valueMax, 0) << "no value rises above the starting maximum";
  EXPECT_NEAR(n.valueMin, -1 - 123.0 * 123.0 / 100, 1e-3);
  EXPECT_EQ(Cell(n, 0), ColorOf(0));
  for (size_t c = 0; c < n.CellCount(); ++c) EXPECT_NE(Cell(n, c), ColorOf(1)) << c;
}

struct BadCube {
  const char* name;
  std::string text;
  const char* message;
};

class CubeRefusal : public testing::TestWithParam<BadCube> {};

TEST_P(CubeRefusal, LoadsNothingAndSaysWhy) {
  qvtest::TempDir dir;
  const std::string path = dir.File("bad.cube");
  qvtest::WriteText(path, GetParam().text);
  Field3DLoader f;
  std::string console;
  EXPECT_NE(ReadField(path, f, &console), 0);
  EXPECT_EQ(f.FrameCount(), 0);
  EXPECT_NE(console.find(GetParam().message), std::string::npos) << console;
}

const std::string kGrid = "c\nc\n 0 0 0 0\n 1 1 0 0\n 1 0 1 0\n 2 0 0 1\n";

INSTANTIATE_TEST_SUITE_P(
    Files, CubeRefusal,
    testing::Values(BadCube{"FewerValues", kGrid + "1          \n", "1 values where the grid has 2"},
                    BadCube{"MoreValues", kGrid + "1 2 3\n", "more than the 2 values"},
                    BadCube{"NotANumber", kGrid + "1 x\n", "line 7: \"x\" is not a number"},
                    BadCube{"ShortHeader", "c\nc\n 0 0 0 0\n 1 1 0 0\n", "after 4 of its six"},
                    BadCube{"BadHeaderLine", "c\nc\n 0 0 0 0\n 1 1 0\n 1 0 1 0\n 2 0 0 1\n1 2\n",
                            "line 4: expected a count"},
                    BadCube{"ZeroGrid", "c\nc\n 0 0 0 0\n 1 1 0 0\n 0 0 1 0\n 2 0 0 1\n1 2\n",
                            "is not positive"},
                    BadCube{"GridBeyondTheFile",
                            "c\nc\n 0 0 0 0\n 2000 1 0 0\n 2000 0 1 0\n 2000 0 0 1\n1 2\n",
                            "more values than the file can hold"},
                    BadCube{"GridBeyond32Bits",
                            "c\nc\n 0 0 0 0\n 2000000 1 0 0\n 2000000 0 1 0\n 2000000 0 0 1\n1\n",
                            "more values than the file can hold"},
                    BadCube{"MissingAtomLines", "c\nc\n 3 0 0 0\n 1 1 0 0\n 1 0 1 0\n 1 0 0 1\n",
                            "ends within the 3 lines of atoms"}),
    [](const testing::TestParamInfo<BadCube>& i) { return std::string(i.param.name); });

// --- bif -------------------------------------------------------------------------------

qvtest::Bytes& BifFrame(qvtest::Bytes& b, int64_t nx, int64_t ny, int64_t nz, double d,
                        const std::vector<double>& values) {
  b.Put(nx).Put(ny).Put(nz).Put(d).Put(2 * d).Put(3 * d);
  for (double v : values) b.Put(v);
  return b;
}

qvtest::Bytes BifHead() {
  qvtest::Bytes b;
  for (char c : std::string("BINFIELD")) b.Put(c);
  b.Zeros(8);
  return b;
}

TEST(BifReader, FramesOfDifferentSizesKeepTheirOwnBoxesAndRawValues) {
  qvtest::TempDir dir;
  const std::string path = dir.File("two.bif");
  qvtest::Bytes b = BifHead();
  BifFrame(b, 1, 1, 2, 0.5, {0.55, 1.0});
  BifFrame(b, 2, 3, 1, 1.0, {0, 0.1, 0.2, 0.3, 0.4, 5});
  b.Put(int64_t{0});
  qvtest::WriteFile(path, b.data);
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  ASSERT_EQ(f.FrameCount(), 2);
  EXPECT_EQ(f.Frame(0).CellCount(), 2u);
  EXPECT_EQ(Cell(f.Frame(0), 0), ColorOf(0.55));
  EXPECT_EQ(std::vector<double>(f.Frame(1).box, f.Frame(1).box + 9),
            (std::vector<double>{2, 0, 0, 0, 6, 0, 0, 0, 3}));
  EXPECT_EQ(f.Frame(1).valueMax, 5);
  EXPECT_EQ(f.SetFrame(7), 1);
  double box[9], origin[3];
  ASSERT_TRUE(f.GetBox(box, origin));
  EXPECT_EQ(box[4], 6);
  EXPECT_EQ(origin[0], 0);
}

TEST(BifReader, KeepsEveryFrameBeyondAThousand) {
  qvtest::TempDir dir;
  const std::string path = dir.File("many.bif");
  qvtest::Bytes b = BifHead();
  for (int i = 0; i < 1003; ++i) BifFrame(b, 1, 1, 1, 1, {i / 1003.0});
  qvtest::WriteFile(path, b.data);  // ends without a terminating size
  Field3DLoader f;
  ASSERT_EQ(ReadField(path, f), 0);
  EXPECT_EQ(f.FrameCount(), 1003);
  EXPECT_EQ(f.SetFrame(5000), 1002);
}

struct BadBif {
  const char* name;
  int64_t nx, ny, nz;
  size_t values;  // written after the header
  int framesKept;
  const char* message;
};

class BifDamage : public testing::TestWithParam<BadBif> {};

// A good first frame, then the damaged one: the first is kept, nothing is sized from the
// damaged header.
TEST_P(BifDamage, StopsBeforeTheDamagedFrame) {
  const BadBif c = GetParam();
  qvtest::TempDir dir;
  const std::string path = dir.File("bad.bif");
  qvtest::Bytes b = BifHead();
  BifFrame(b, 1, 1, 1, 1, {0.5});
  BifFrame(b, c.nx, c.ny, c.nz, 1, std::vector<double>(c.values, 0.5));
  qvtest::WriteFile(path, b.data);
  Field3DLoader f;
  std::string console;
  EXPECT_EQ(ReadField(path, f, &console), 0);
  EXPECT_EQ(f.FrameCount(), c.framesKept);
  EXPECT_NE(console.find(c.message), std::string::npos) << console;
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BifDamage,
    testing::Values(BadBif{"NegativeNy", 2, -1, 1, 0, 1, "is not positive"},
                    BadBif{"ProductBeyond32Bits", 1 << 20, 1 << 20, 1 << 20, 0, 1,
                           "more than 2147483647 cells"},
                    BadBif{"ProductWrapsTo64Bits", int64_t{1} << 40, int64_t{1} << 40, 1 << 24,
                           0, 1, "more than 2147483647 cells"},
                    BadBif{"MoreValuesThanTheFile", 10, 10, 10, 3, 1, "do not fit"},
                    BadBif{"Complete", 2, 1, 1, 2, 2, "2 frame loaded"}),
    [](const testing::TestParamInfo<BadBif>& i) { return std::string(i.param.name); });

TEST(BifReader, AFileWithoutTheMagicOrWithoutFramesLoadsNothing) {
  qvtest::TempDir dir;
  const std::string path = dir.File("x.bif");
  qvtest::Bytes b;
  for (char c : std::string("BINFIELX")) b.Put(c);
  b.Zeros(8);
  BifFrame(b, 1, 1, 1, 1, {0.5});
  qvtest::WriteFile(path, b.data);
  Field3DLoader f;
  EXPECT_NE(ReadField(path, f), 0);
  qvtest::Bytes empty = BifHead();
  empty.Put(int64_t{-1});
  qvtest::WriteFile(path, empty.data);
  EXPECT_NE(ReadField(path, f), 0);
  EXPECT_EQ(f.FrameCount(), 0);
  EXPECT_FALSE(f.GetBox(nullptr, nullptr));
}

}  // namespace

// Gridded point data: the header syntax, big-endian files written byte by byte, frames
// reloaded only on change, ramps, and the refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "auxdata/vmec/GridPointTypes.h"
#include "data/DataSetList.h"
#include "TestSupport.h"

namespace {

// Length-prefixed big-endian floats, optionally with the trailing length sequential
// writers add; `claim` overrides the leading length.
void WriteValues(const std::string& path, const std::vector<float>& v, bool trailer = true,
                 long claim = -1) {
  std::vector<unsigned char> b;
  const auto put32 = [&](uint32_t u) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<unsigned char>(u >> s));
  };
  const uint32_t len = claim >= 0 ? static_cast<uint32_t>(claim) : static_cast<uint32_t>(4 * v.size());
  put32(len);
  for (float f : v) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    put32(u);
  }
  if (trailer) put32(len);
  qvtest::WriteFile(path, b);
}

class GridPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteValues(dir.File("x.bin"), {0, 1, 0, 4});
    WriteValues(dir.File("y.bin"), {0, 0, 2, 2}, false);
    WriteValues(dir.File("z.bin"), {-1, -1, -1, 3});
    WriteValues(dir.File("a0.bin"), {1, 2, 3, 4});
    WriteValues(dir.File("a1.bin"), {5, 6, 7, 8});
    WriteValues(dir.File("b0.bin"), {-2, 0, 0, 9});
    WriteValues(dir.File("b1.bin"), {0, 0, 0, 0});
  }
  std::string Header(const std::string& extra) {
    const std::string path = dir.File("h.vmec");
    qvtest::WriteText(path, "grids 2 1 2 1\nCoordinate.X x.bin\nCoordinate.Y y.bin\n"
                            "Coordinate.Z z.bin\n" + extra);
    return path;
  }
  qvtest::TempDir dir;
};

TEST(VmecHeader, CommentsBlanksAndListsFollowTheSyntax) {
  const VmecHeader h = VmecHeader::Parse(
      "# a comment line\n"
      "  grids\t1 2 3 4   # trailing comment\r\n"
      "Empty\n"
      "Color.Alpha 0.5\r\n"
      "DATA.1.Begin\n"
      "   f0.bin  \n"
      "\n"
      "  # nothing\n"
      "dir/f 1.bin\n"
      "  DATA.1.End\n"
      "After yes\n"
      "DATA.2.Begin\n"
      "g0\n");
  EXPECT_EQ(*h.Value("grids"), "1 2 3 4");
  EXPECT_EQ(h.Value("Empty"), nullptr);
  EXPECT_EQ(*h.Value("Color.Alpha"), "0.5");
  EXPECT_EQ(*h.List("DATA.1"), (std::vector<std::string>{"f0.bin", "dir/f 1.bin"}));
  EXPECT_EQ(*h.Value("After"), "yes");
  EXPECT_EQ(*h.List("DATA.2"), (std::vector<std::string>{"g0"})) << "an open list ends with the file";
  EXPECT_EQ(h.List("DATA.3"), nullptr);
}

TEST_F(GridPoints, LoadsCoordinatesAndFrameZeroAndReloadsOnlyOnAChange) {
  VMEC_Repository v;
  ASSERT_EQ(v.Load(Header("DATA.Species 2\nColor.1.Range 0 10\nColor.Alpha 0.25\n"
                          "DATA.1.Begin\na0.bin\na1.bin\nDATA.1.End\n"
                          "DATA.2.Begin\nb0.bin\nb1.bin\nDATA.2.End\n")),
            kVmecLoaded);
  EXPECT_EQ(v.PointCount(), 4u);
  EXPECT_EQ(v.Quantities(), 2);
  EXPECT_EQ(v.FrameCount(), 2);
  EXPECT_EQ(std::vector<float>(v.Points().begin(), v.Points().begin() + 10),
            (std::vector<float>{0, 0, -1, 1, -2, 1, 0, -1, 2, 0}));
  double box[9], origin[3];
  v.GetBox(box, origin);
  EXPECT_EQ(std::vector<double>(box, box + 9), (std::vector<double>{4, 0, 0, 0, 2, 0, 0, 0, 4}));
  EXPECT_EQ(std::vector<double>(origin, origin + 3), (std::vector<double>{0, 0, -1}));
  EXPECT_FLOAT_EQ(v.SpriteSize(), 0.006f);
  EXPECT_EQ(v.ramp[0][0], 0);
  EXPECT_EQ(v.ramp[0][1], 10);
  // Without a range key the ramp spans every quantity's values.
  EXPECT_EQ(v.ramp[1][0], -2);
  EXPECT_EQ(v.ramp[1][1], 9);
  EXPECT_EQ(v.alpha, 0.25f);

  const int64_t reads = v.DataReads();
  EXPECT_EQ(v.SetFrame(0), 0);
  EXPECT_EQ(v.DataReads(), reads) << "the same frame reads nothing";
  EXPECT_EQ(v.SetFrame(7), 1);
  EXPECT_EQ(v.DataReads(), reads + 2);
  EXPECT_EQ(v.Points()[3], 5);
  EXPECT_EQ(v.Points()[4 + 5 * 3], 0);
  EXPECT_EQ(v.SetFrame(1), 1);
  EXPECT_EQ(v.DataReads(), reads + 2);
}

TEST_F(GridPoints, QuantityCountsOutsideOneToThreeMeanOne) {
  for (const auto& [text, want] : {std::pair{"0", 1}, {"4", 1}, {"-1", 1}, {"x", 1}, {"3", 3}}) {
    VMEC_Repository v;
    ASSERT_EQ(v.Load(Header(std::string("DATA.Species ") + text + "\n")), kVmecLoaded);
    EXPECT_EQ(v.Quantities(), want) << text;
    EXPECT_EQ(v.Points().size(), 4u * (3 + want));
  }
}

TEST_F(GridPoints, WithoutDataListsThereAreNoFramesButThePointsAreThere) {
  VMEC_Repository v;
  ASSERT_EQ(v.Load(Header("")), kVmecLoaded);
  EXPECT_EQ(v.FrameCount(), 0);
  EXPECT_EQ(v.SetFrame(3), 0);
  EXPECT_EQ(v.Points()[v.Stride() * 3], 4);
  EXPECT_EQ(v.alpha, 0.01f);
}

TEST_F(GridPoints, ABadDataFileIsNotUsedAndAFrameZeroWithoutDataLeavesNoFrames) {
  WriteValues(dir.File("short.bin"), {1, 2, 3});
  VMEC_Repository v;
  ASSERT_EQ(v.Load(Header("DATA.1.Begin\na0.bin\nshort.bin\nmissing.bin\nDATA.1.End\n")), kVmecLoaded);
  EXPECT_EQ(v.SetFrame(1), 1);
  EXPECT_EQ(v.Points()[3], 1) << "the short file left the values of frame 0";
  EXPECT_EQ(v.SetFrame(2), 2);
  VMEC_Repository none;
  ASSERT_EQ(none.Load(Header("DATA.1.Begin\nmissing.bin\na1.bin\nDATA.1.End\n")), kVmecLoaded);
  EXPECT_EQ(none.FrameCount(), 0);
}

TEST_F(GridPoints, FilesOutsideTheHeadersFolderAreTheUsersToName) {
  std::filesystem::create_directory(dir.path() / "sub");
  WriteValues(dir.File("sub/q.bin"), {1, 1, 1, 1});
  const std::string path = dir.File("sub/h.vmec");
  qvtest::WriteText(path, "grids 4 1 1 1\nCoordinate.X ../x.bin\nCoordinate.Y " + dir.File("y.bin") +
                              "\nCoordinate.Z ./../z.bin\nDATA.1.Begin\nq.bin\nDATA.1.End\n");
  VMEC_Repository v;
  ASSERT_EQ(v.Load(path), kVmecLoaded);
  EXPECT_EQ(v.FrameCount(), 1);
  EXPECT_EQ(v.Points()[3 * 4 + 1], 2);
}

struct Refusal {
  const char* grids;
  const char* xFile;
  int code;
};

class GridPointsRefusal : public GridPoints, public ::testing::WithParamInterface<Refusal> {};

TEST_P(GridPointsRefusal, LoadsNothingAndNamesTheCause) {
  WriteValues(dir.File("five.bin"), {1, 2, 3, 4, 5});
  WriteValues(dir.File("liar.bin"), {1, 2, 3, 4}, false, 1 << 30);  // claims a gigabyte
  const std::string path = dir.File("r.vmec");
  qvtest::WriteText(path, std::string(GetParam().grids) + "\nCoordinate.X " + GetParam().xFile +
                              "\nCoordinate.Y y.bin\nCoordinate.Z z.bin\n");
  VMEC_Repository v;
  const int code = v.Load(path);
  EXPECT_EQ(code, GetParam().code);
  EXPECT_TRUE(v.Points().empty());
  const std::string report = qv::GridPointsLoadReport(v, code, path);
  EXPECT_NE(report.find("nothing loaded"), std::string::npos);
  if (code == kVmecCoordinateMissing || code == kVmecCoordinateSize) {
    EXPECT_NE(report.find(GetParam().xFile), std::string::npos) << report;
  }
  DataSetList list;
  qv::RegisterGridPointTypes(DataTypeRegistry::Instance());
  list.OpenDataFile(path, LoadOptions{});
  EXPECT_EQ(list.Size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, GridPointsRefusal,
    ::testing::Values(Refusal{"", "x.bin", kVmecNoGrids}, Refusal{"grids 2 2 2", "x.bin", kVmecNoGrids},
                      Refusal{"grids 2 -2 1 1", "x.bin", kVmecNoGrids},
                      Refusal{"grids 65536 65536 65536 65536", "x.bin", kVmecGridsOverflow},
                      Refusal{"grids 4 0 1 1", "x.bin", kVmecEmptyGrid},
                      Refusal{"grids 4 1 1 1", "gone.bin", kVmecCoordinateMissing},
                      Refusal{"grids 4 1 1 1", "five.bin", kVmecCoordinateSize},
                      Refusal{"grids 4 1 1 1", "liar.bin", kVmecCoordinateSize},
                      Refusal{"grids 268435456 1 1 1", "liar.bin", kVmecCoordinateSize}));

TEST_F(GridPoints, TheDispatchAddsTheDataSetWithItsBox) {
  qv::RegisterGridPointTypes(DataTypeRegistry::Instance());
  DataSetList list;
  list.OpenDataFile(Header("DATA.1.Begin\na0.bin\na1.bin\nDATA.1.End\n"), LoadOptions{});
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(list[0].type, kTypeGridPoints);
  EXPECT_EQ(list[0].SetFrame(9), 1);
  double size = 0, centre[3];
  ASSERT_TRUE(list.GetViewBounds(size, centre));
  EXPECT_EQ(size, 8);
  EXPECT_EQ(centre[2], 1);
}

}  // namespace

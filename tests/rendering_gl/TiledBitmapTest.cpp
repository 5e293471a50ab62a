// Magnified bitmaps: tiles joined without seams, strides, files; through each back end's
// bitmap renderer, as the bitmap commands use it.
#include <epoxy/gl.h>

#include "GLTestSupport.h"
#include "TestSupport.h"

using namespace qvgltest;

namespace {

class TiledBitmap : public BackEndFixture {
 protected:
  void SetUp() override {}
  // A dense, lit scene with bonds crossing every tile border.
  void MakeScene() {
    std::vector<Atom> atoms;
    std::vector<BOND_ENTRY> bonds;
    for (int i = 0; i < 12; ++i) {
      for (int k = 0; k < 5; ++k) {
        atoms.push_back({(i + k) % 2 ? 8 : 17, -2.6f + 0.85f * i, 2.0f + 0.3f * k, 0.2f + 0.9f * k});
        if (i > 0) bonds.push_back({int(atoms.size()) - 6, int(atoms.size()) - 1, 0.85f, 0, 0});
      }
    }
    frame_ = MakeFrame(4, atoms, bonds);
    list_.Append(MakeEntry(frame_));
    display_.atomRadius = 0.45;
    display_.box = 0;  // the box's width follows the magnification, a plain render's does not
    display_.background = {0.1f, 0.1f, 0.2f, 1};
    camera_ = FittedCamera(frame_->frames[0].box, frame_->frames[0].origin);
  }
  // The picture of W x H tiles magnified m times.
  qv::BgrImage Render(int w, int h, int m) {
    Open(w, h);
    qv::BgrImage image;
    EXPECT_TRUE(Bitmap(list_, display_, camera_, m, dir_.File("tiles.bmp"), image));
    TearDown();
    return image;
  }
  std::shared_ptr<qvtest::MemoryTrajectory> frame_;
  DataSetList list_;
  DisplayValues display_;
  SceneCamera camera_;
  qvtest::TempDir dir_;
};
QV_ON_EVERY_BACK_END(TiledBitmap);

int Differing(const qv::BgrImage& a, const qv::BgrImage& b) {
  int n = 0;
  for (int y = 0; y < a.height; ++y) {
    for (int x = 0; x < a.width; ++x) {
      int diff = 0;
      for (int c = 0; c < 3; ++c) diff = std::max(diff, std::abs(a.Row(y)[3 * x + c] - b.Row(y)[3 * x + c]));
      if (diff > 6) ++n;
    }
  }
  return n;
}

TEST_P(TiledBitmap, ThreeByThreeTilesMatchOneRenderOfTheFullSize) {
  MakeScene();
  for (int projection : {0, 1}) {
    display_.projection = projection;
    const qv::BgrImage tiled = Render(60, 40, 3);
    EXPECT_EQ(tiled.width, 180);
    EXPECT_EQ(tiled.height, 120);
    const qv::BgrImage whole = Render(180, 120, 1);
    ASSERT_EQ(whole.pixels.size(), tiled.pixels.size());
    int drawn = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 180; ++x) drawn += whole.Row(y)[3 * x] != 51 || whole.Row(y)[3 * x + 2] != 26;
    EXPECT_GT(drawn, 3000) << "the scene fills much of the picture";
    // Rasterisation at the tile borders may move an edge pixel; a seam would be a whole line.
    EXPECT_LT(Differing(tiled, whole), 30) << "projection " << projection;
  }
}

TEST_P(TiledBitmap, SideBySideCellsSplitAcrossTilesJoinWithoutSeams) {
  MakeScene();
  list_.Append(MakeEntry(MakeFrame(4, {{8, 2, 2, 2}, {17, 3, 2, 3}}, {{0, 1, 1, 0, 1}})));
  list_.Append(MakeEntry(frame_));
  display_.multiData = 1;
  // Three data sets in 150 x 60: three columns of 50; tiles of 50 x 20 (m = 3) cut them
  // differently from the cells.
  const qv::BgrImage tiled = Render(50, 20, 3);
  const qv::BgrImage whole = Render(150, 60, 1);
  ASSERT_EQ(whole.pixels.size(), tiled.pixels.size());
  EXPECT_LT(Differing(tiled, whole), 30);
  // The middle cell holds the small two-atom data set: its centre is drawn.
  EXPECT_GT(whole.Row(30)[3 * 75 + 2], 100);
}

TEST_P(TiledBitmap, OddWidthRowsArePaddedToFourBytesWithZeros) {
  MakeScene();
  const qv::BgrImage image = Render(101, 20, 1);
  EXPECT_EQ(image.stride, 304u);
  for (int r = 0; r < 20; ++r) EXPECT_EQ(image.Row(r)[303], 0) << r;
  // Rows are BGR: the background (0.1, 0.1, 0.2) shows blue first.
  EXPECT_EQ(image.Row(0)[0], 51);
  EXPECT_EQ(image.Row(0)[2], 26);
  const qv::BgrImage twice = Render(101, 20, 2);
  EXPECT_EQ(twice.width, 202);
  EXPECT_EQ(twice.stride, (3 * 202 + 3) / 4 * 4);
}

// The magnified render widens lines for its own picture only.
class TiledBitmapGL15 : public GLFixture {};

TEST_F(TiledBitmapGL15, LineWidthIsBackToOneAfterAMagnifiedRender) {
  auto c = MakeFrame(4, {{8, 2, 2, 2}});
  DataSetList list;
  list.Append(MakeEntry(c));
  qvtest::TempDir dir;
  qv::BgrImage image;
  ASSERT_TRUE(Bitmap(list, DisplayValues{}, FittedCamera(c->frames[0].box, c->frames[0].origin),
                     2, dir.File("m.bmp"), image));
  ASSERT_TRUE(GL15().DeviceGL15()->MakeCurrent());
  GLfloat width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.0f);
}

}  // namespace

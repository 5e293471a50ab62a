// Magnified bitmaps: tiles joined without seams, strides, files.
#include <epoxy/gl.h>

#include "GLTestSupport.h"
#include "TestSupport.h"
#include "rendering/gl/TiledBitmapGL.h"

using namespace qvgltest;

namespace {

class TiledBitmap : public GLFixture {
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
  std::shared_ptr<qvtest::MemoryTrajectory> frame_;
  DataSetList list_;
  DisplayValues display_;
  SceneCamera camera_;
};

TEST_F(TiledBitmap, ThreeByThreeTilesMatchOneRenderOfTheFullSize) {
  MakeScene();
  for (int projection : {0, 1}) {
    display_.projection = projection;
    Open(60, 40);
    qv::BgrImage tiled;
    ASSERT_TRUE(qvgl::RenderTiledImage(scene_, list_, display_, camera_, {}, 60, 40, 3, tiled));
    EXPECT_EQ(tiled.width, 180);
    EXPECT_EQ(tiled.height, 120);
    TearDown();
    Open(180, 120);
    qv::BgrImage whole;
    ASSERT_TRUE(qvgl::RenderTiledImage(scene_, list_, display_, camera_, {}, 180, 120, 1, whole));
    TearDown();
    ASSERT_EQ(whole.pixels.size(), tiled.pixels.size());
    int differing = 0, drawn = 0;
    for (int y = 0; y < 120; ++y) {
      for (int x = 0; x < 180; ++x) {
        const uint8_t* a = tiled.Row(y) + 3 * x;
        const uint8_t* b = whole.Row(y) + 3 * x;
        int diff = 0;
        for (int c = 0; c < 3; ++c) diff = std::max(diff, std::abs(a[c] - b[c]));
        if (diff > 6) ++differing;
        if (b[0] != 51 || b[2] != 26) ++drawn;
      }
    }
    EXPECT_GT(drawn, 3000) << "the scene fills much of the picture";
    // Rasterisation at the tile borders may move an edge pixel; a seam would be a whole line.
    EXPECT_LT(differing, 30) << "projection " << projection;
  }
}

TEST_F(TiledBitmap, SideBySideCellsSplitAcrossTilesJoinWithoutSeams) {
  MakeScene();
  list_.Append(MakeEntry(MakeFrame(4, {{8, 2, 2, 2}, {17, 3, 2, 3}}, {{0, 1, 1, 0, 1}})));
  list_.Append(MakeEntry(frame_));
  display_.multiData = 1;
  // Three data sets in 150 x 60: three columns of 50; tiles of 50 x 20 (m = 3) cut them
  // differently from the cells.
  Open(50, 20);
  qv::BgrImage tiled;
  ASSERT_TRUE(qvgl::RenderTiledImage(scene_, list_, display_, camera_, {}, 50, 20, 3, tiled));
  TearDown();
  Open(150, 60);
  qv::BgrImage whole;
  ASSERT_TRUE(qvgl::RenderTiledImage(scene_, list_, display_, camera_, {}, 150, 60, 1, whole));
  TearDown();
  int differing = 0;
  for (size_t i = 0; i < whole.pixels.size(); ++i) {
    differing += std::abs(whole.pixels[i] - tiled.pixels[i]) > 6;
  }
  EXPECT_LT(differing, 30);
  // The middle cell holds the small two-atom data set: its centre is drawn.
  EXPECT_GT(whole.Row(30)[3 * 75 + 2], 100);
}

TEST_F(TiledBitmap, OddWidthRowsArePaddedToFourBytesWithZeros) {
  MakeScene();
  Open(101, 20);
  qv::BgrImage image;
  ASSERT_TRUE(qvgl::RenderTiledImage(scene_, list_, display_, camera_, {}, 101, 20, 1, image));
  EXPECT_EQ(image.stride, 304u);
  for (int r = 0; r < 20; ++r) EXPECT_EQ(image.Row(r)[303], 0) << r;
  // Read-back rows are BGR: the background (0.1, 0.1, 0.2) shows blue first.
  EXPECT_EQ(image.Row(0)[0], 51);
  EXPECT_EQ(image.Row(0)[2], 26);
  qvtest::TempDir dir;
  ASSERT_TRUE(qvgl::RenderTiledBitmap(dir.File("odd.bmp"), scene_, list_, display_, camera_, {},
                                      101, 20, 2));
  const auto bytes = qvtest::ReadFile(dir.File("odd.bmp"));
  const size_t stride = (3 * 202 + 3) / 4 * 4;
  EXPECT_EQ(bytes.size(), 54 + stride * 40);
  // Line width is back to 1 after the magnified render.
  GLfloat width = 0;
  glGetFloatv(GL_LINE_WIDTH, &width);
  EXPECT_EQ(width, 1.0f);
}

}  // namespace

// A polygon model drawn on every back end: a textured quad beside one whose texture is
// missing, which falls back to its material colour; frame 1 draws the first material alone.
#include "GLTestSupport.h"
#include "TestSupport.h"
#include "auxdata/poly/MQOLoader.h"
#include "data/DataSetList.h"
#include "rendering/scene/PolygonScene.h"

using namespace qvgltest;

namespace {

class PolygonRender : public BackEndFixture {};

// A 2 x 2 24-bit bitmap of one colour (rows padded to four bytes).
std::vector<unsigned char> SolidBmp(unsigned char r, unsigned char g, unsigned char b) {
  qvtest::Bytes f;
  f.data = {'B', 'M'};
  f.Put(uint32_t{54 + 16}).Put(uint32_t{0}).Put(uint32_t{54});
  f.Put(uint32_t{40}).Put(int32_t{2}).Put(int32_t{2}).Put(uint16_t{1}).Put(uint16_t{24});
  f.Put(uint32_t{0}).Put(uint32_t{16}).Put(int32_t{2835}).Put(int32_t{2835}).Put(uint32_t{0}).Put(uint32_t{0});
  for (int row = 0; row < 2; ++row) {
    for (int px = 0; px < 2; ++px) f.Put(b).Put(g).Put(r);
    f.Zeros(2);
  }
  return f.data;
}

TEST_P(PolygonRender, TexturedQuadAndMaterialColourFallback) {
  qvtest::TempDir dir;
  qvtest::WriteFile(dir.File("red.bmp"), SolidBmp(230, 10, 10));
  // Stored (x, y, z) is the file's (-z, -x, y): both quads lie in the plane y = 0 that the
  // fitted camera looks at, the textured one on the left.
  const std::string mqo = R"(Material 2 {
  "textured" col(1 1 1 1) tex("red.bmp")
  "fallback" col(0.1 0.9 0.1 1) tex("missing.png")
}
Object "quads" {
  vertex 8 {
    0 -1 2
    0 -1 0.2
    0 1 0.2
    0 1 2
    0 -1 -0.2
    0 -1 -2
    0 1 -2
    0 1 -0.2
  }
  face 4 {
    3 V(0 1 2) M(0) UV(0 0 1 0 1 1)
    3 V(0 2 3) M(0) UV(0 0 1 1 0 1)
    3 V(4 5 6) M(1) UV(0 0 1 0 1 1)
    3 V(4 6 7) M(1) UV(0 0 1 1 0 1)
  }
}
)";
  auto model = std::make_shared<MQOLoader>();
  ASSERT_EQ(model->Parse(mqo, dir.File("quads.mqo")), 0) << model->Error();
  qv::scene::SceneBuilders::Instance().Register(kTypePolygon, qv::scene::BuildPolygonScene);
  DataSetList list;
  list.Append(qv::MakeEntry(kTypePolygon, dir.File("quads.mqo"), model));
  double box[9], origin[3];
  model->Bounds(box, origin);
  const SceneCamera camera = FittedCamera(box, origin);
  DisplayValues d;
  d.box = kBoxOff;
  Draw(list, d, camera);
  auto p = Read();
  const Rgb left = At(p, 20, 32), right = At(p, 44, 32);
  EXPECT_GT(left.r, 120) << left.r << " " << left.g << " " << left.b;
  EXPECT_LT(left.g, left.r / 3);
  EXPECT_GT(right.g, 120) << right.r << " " << right.g << " " << right.b;
  EXPECT_LT(right.r, right.g / 3);

  model->SetFrame(1);
  Draw(list, d, camera);
  p = Read();
  EXPECT_GT(At(p, 20, 32).r, 120);
  EXPECT_LT(At(p, 44, 32).g, 10) << "the second material is drawn at frame 1";
}

QV_ON_EVERY_BACK_END(PolygonRender);

}  // namespace

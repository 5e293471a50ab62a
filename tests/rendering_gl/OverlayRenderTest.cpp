// The window's overlay as each back end draws it, and its absence from bitmaps.
#include <epoxy/gl.h>

#include "GLTestSupport.h"
#include "TestSupport.h"
#include "rendering/scene/Overlay.h"

using namespace qvgltest;

namespace {

class OverlayRender : public BackEndFixture {
 protected:
  static constexpr int kW = 480, kH = 320;
  void SetUp() override {
    Open(kW, kH);
    frame_ = MakeFrame(4, {{8, 2, 2, 2}});
    list_.Append(MakeEntry(frame_));
    display_.atomRadius = 0.3;
    display_.box = 0;
    display_.background = {0.1f, 0.1f, 0.2f, 1};
    camera_ = FittedCamera(frame_->frames[0].box, frame_->frames[0].origin);
  }
  // A screen frame with these overlay items; the pixels read back.
  std::vector<Rgb> DrawWith(const std::vector<qv::scene::OverlayItem>& overlay) {
    qv::scene::ScenePlan plan =
        qv::scene::BuildScene(list_, display_, {}, SceneTile::Whole(kW, kH));
    plan.overlay = overlay;
    backEnd_->DrawPlan(plan, camera_, surface_->Framebuffer());
    glFinish();
    return Read();
  }
  // (x, y) counted from the top, as the overlay counts.
  Rgb Top(const std::vector<Rgb>& p, int x, int y) const { return At(p, x, kH - 1 - y); }

  std::shared_ptr<qvtest::MemoryTrajectory> frame_;
  DataSetList list_;
  DisplayValues display_;
  SceneCamera camera_;
  qvtest::TempDir dir_;
};
QV_ON_EVERY_BACK_END(OverlayRender);

TEST_P(OverlayRender, ButtonsShowInTheWindowAndNeverInABitmap) {
  qv::BgrImage before, after;
  ASSERT_TRUE(Bitmap(list_, display_, camera_, 1, dir_.File("before.bmp"), before));
  backEnd_->Device()->BeginFrame();  // the next window frame, as after the bitmap command
  std::vector<qv::scene::OverlayItem> items;
  qv::overlay::ButtonBar().AddOverlay(kW, kH, items);
  ASSERT_EQ(items.size(), 5u);
  const std::vector<Rgb> p = DrawWith(items);
  const int centreY = kH - 64;
  for (int dx : {-192, -96, 0, 96, 192}) {
    const Rgb glyph = Top(p, kW / 2 + dx, centreY);  // every glyph covers its centre
    EXPECT_GT(glyph.r + glyph.g + glyph.b, 3 * 235) << dx;
  }
  const Rgb gap = Top(p, kW / 2 + 48, centreY);  // between stop and play
  EXPECT_NEAR(gap.b, 51, 3);

  ASSERT_TRUE(Bitmap(list_, display_, camera_, 1, dir_.File("after.bmp"), after));
  ASSERT_EQ(after.pixels.size(), before.pixels.size());
  EXPECT_TRUE(after.pixels == before.pixels);
  // The bar's band of the bitmap is all background (bottom-up rows, b g r).
  int other = 0;
  for (int y = 32; y < 96; ++y) {
    for (int x = 0; x < kW; ++x) other += std::abs(after.Row(y)[3 * x] - 51) > 3;
  }
  EXPECT_EQ(other, 0);
}

TEST_P(OverlayRender, PanelBackdropHalvesTheSceneAndItemsAreRed) {
  qv::overlay::UIPanel panel;
  panel.BuildProgramPages();
  std::vector<qv::scene::OverlayItem> items;
  panel.AddOverlay(kW, kH, items);
  const std::vector<Rgb> p = DrawWith(items);
  const Rgb backdrop = Top(p, kW - 10, kH - 32);  // the strip runs the whole width
  EXPECT_NEAR(backdrop.b, 51 / 2, 3);
  EXPECT_NEAR(backdrop.r, 26 / 2, 3);
  const Rgb red = Top(p, 5, kH - 60);  // inside the first item, outside its image's square
  EXPECT_GT(red.r, 240);
  EXPECT_LT(red.g + red.b, 20);
  const Rgb above = Top(p, kW - 10, kH - 70);  // above the strip: the scene's background
  EXPECT_NEAR(above.b, 51, 3);
}

}  // namespace

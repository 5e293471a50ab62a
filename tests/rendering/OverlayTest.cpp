// The on-screen controls without any graphics API: where the buttons and panel items lie,
// what a pointer hits, what is drawn, and the images compiled into the program.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "rendering/EmbeddedFiles.h"
#include "rendering/scene/Overlay.h"

using namespace qv::overlay;

namespace {

struct ClientSize {
  int width, height;
};

class ButtonBarHits : public ::testing::TestWithParam<ClientSize> {};

// Every pixel of the client against the bar as a whole: 448 pixels wide at the bottom
// centre, from H - 96 to H - 32, five 64-pixel buttons 96 pixels apart (step back first).
TEST_P(ButtonBarHits, EveryPixelAgreesWithTheBarLayout) {
  const auto [w, h] = GetParam();
  const ButtonBar bar;
  const int order[] = {kStepBack, kPlayBackward, kStop, kPlayForward, kStepForward};
  int hits = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double bx = x - (w / 2.0 - 224), by = y - (h - 96.0);
      int expected = kNoAction;
      if (bx >= 0 && bx < 448 && by >= 0 && by < 64 && std::fmod(bx, 96.0) < 64)
        expected = order[static_cast<int>(bx / 96)];
      const Button* b = bar.HitTest(static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(w), static_cast<float>(h));
      ASSERT_EQ(b ? b->action : kNoAction, expected) << "at " << x << ", " << y;
      hits += b != nullptr;
    }
  }
  EXPECT_GT(hits, 0);
}

// 640: the whole bar shows; 400 and 401: the outer buttons are cut by the window's edges
// and still answer in their visible part.
INSTANTIATE_TEST_SUITE_P(Clients, ButtonBarHits,
                         ::testing::Values(ClientSize{640, 200}, ClientSize{400, 120},
                                           ClientSize{401, 97}));

TEST(ButtonBar, EdgesLeftAndTopInsideRightAndBottomOutside) {
  const ButtonBar bar;
  for (const Button& b : bar.Buttons()) {
    const Rect r = ButtonRect(b, 640, 480);
    EXPECT_FLOAT_EQ(r.right - r.left, 64);
    EXPECT_FLOAT_EQ(r.top, 480 - 96);
    auto hit = [&](float x, float y) {
      const Button* h = bar.HitTest(x, y, 640, 480);
      return h ? h->action : kNoAction;
    };
    EXPECT_EQ(hit(r.left, r.top), b.action);
    EXPECT_EQ(hit(r.right - 0.01f, r.bottom - 0.01f), b.action);
    EXPECT_EQ(hit(r.right, r.top), kNoAction);
    EXPECT_EQ(hit(r.left, r.bottom), kNoAction);
  }
}

TEST(ButtonRect, AnchorsOfEveryAlignment) {
  Button b;
  b.x = 10, b.y = -5, b.width = 20, b.height = 8;
  struct Case {
    int h, v;
    Rect r;
  };
  const Case cases[] = {
      {1, 1, {90, 187, 110, 195}},      // right and bottom: right = W + x, bottom = H + y
      {2, 2, {50, 91, 70, 99}},         // centred
      {0, 0, {10, -5, 30, 3}},          // left and top
      {7, 9, {10, -5, 30, 3}},          // any other value: left and top
  };
  for (const Case& c : cases) {
    b.hAlign = c.h, b.vAlign = c.v;
    const Rect r = ButtonRect(b, 100, 200);
    EXPECT_FLOAT_EQ(r.left, c.r.left) << c.h;
    EXPECT_FLOAT_EQ(r.right, c.r.right) << c.h;
    EXPECT_FLOAT_EQ(r.top, c.r.top) << c.v;
    EXPECT_FLOAT_EQ(r.bottom, c.r.bottom) << c.v;
  }
}

TEST(ProgramImages, AllDecodeAt64By64) {
  for (int n = 1; n <= kImageShow; ++n) {
    const qv::scene::OverlayImage* image = ProgramImages().Find(n);
    ASSERT_NE(image, nullptr) << n;
    EXPECT_EQ(image->width, 64);
    EXPECT_EQ(image->height, 64);
    ASSERT_EQ(image->rgba.size(), 64u * 64 * 4);
    // Transparent corners, an opaque white glyph in the middle of the play button.
    if (n == kPlayForward) {
      EXPECT_EQ(image->rgba[3], 0);
      const size_t centre = 4 * (32 * 64 + 32);
      EXPECT_EQ(image->rgba[centre], 255);
      EXPECT_EQ(image->rgba[centre + 3], 255);
    }
  }
  EXPECT_EQ(ProgramImages().Find(0), nullptr);
}

// The embedded bytes are the files under resource/ exactly.
TEST(EmbeddedFiles, AreTheResourceFiles) {
  for (const char* name : {"button_stop.png", "button_show.png"}) {
    std::ifstream in(std::string(QV_SOURCE_DIR) + "/resource/" + name, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), {}};
    const auto embedded = qv::EmbeddedFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), embedded.begin(), embedded.end())) << name;
  }
  EXPECT_TRUE(qv::EmbeddedFile("no_such.png").empty());
}

TEST(ImageSet, UndecodableBytesLeaveNoImageAndTheButtonIsSkipped) {
  const auto png = qv::EmbeddedFile("button_stop.png");
  const std::vector<unsigned char> bytes(png.begin(), png.end());
  const std::vector<unsigned char> truncated(bytes.begin(), bytes.begin() + bytes.size() / 2);
  std::vector<unsigned char> badHeader = bytes;
  badHeader[16] = 0x7f;  // a width near 2^31 (and a header that no longer checks)
  ImageSet images;
  EXPECT_TRUE(images.Add(kStop, bytes));
  for (const auto& bad : {std::vector<unsigned char>{}, std::vector<unsigned char>{'n', 'o'},
                          truncated, badHeader}) {
    EXPECT_FALSE(images.Add(kPlayForward, bad));
    EXPECT_EQ(images.Find(kPlayForward), nullptr);
  }
  ASSERT_NE(images.Find(kStop), nullptr);

  const ButtonBar bar(PlaybackButtons(), images);
  std::vector<qv::scene::OverlayItem> items;
  bar.AddOverlay(640, 480, items);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].image, kStop);
  EXPECT_EQ(items[0].bitmap, images.Find(kStop));
  EXPECT_EQ(bar.HitTest(320 + 96, 420, 640, 480), nullptr);  // play forward: no image
  ASSERT_NE(bar.HitTest(320, 420, 640, 480), nullptr);
}

// A page of two items, 2 x 1 units, in each anchor mode; the pixel rectangle of an item is
// the inverse of the page-unit conversion for that mode.
class PanelAnchors : public ::testing::TestWithParam<int> {};

TEST_P(PanelAnchors, ReleaseHitsWhereTheItemIsDrawnAndSwitchesPages) {
  const int anchor = GetParam();
  const float W = 400, H = 300, u = 50;
  const ImageSet noImages;
  UIPanel panel(noImages);
  panel.SetUnit(u);
  Page page;
  page.anchor = anchor;
  page.width = 2, page.height = 1;
  page.items.push_back({{0, 0, 1, 1}, kStepBack, 4});
  page.items.push_back({{1, 0, 2, 1}, kStop, -1});
  panel.SetPage(0, page);
  // Page units to pixels, by mode.
  auto toPixels = [&](float px, float py, float& x, float& y) {
    if (anchor == kCentred) x = (px - 1) * u + W / 2, y = (py - 0.5f) * u + H / 2;
    else if (anchor == kTopStrip) x = px * u, y = py * u;
    else x = px * u, y = (py - 1) * u + H;
  };
  std::vector<qv::scene::OverlayItem> items;
  panel.AddOverlay(W, H, items);
  ASSERT_EQ(items.size(), 3u);
  float x0, y0, x1, y1;
  toPixels(1, 0, x0, y0);
  toPixels(2, 1, x1, y1);
  EXPECT_FLOAT_EQ(items[2].left, x0);
  EXPECT_FLOAT_EQ(items[2].top, y0);
  EXPECT_FLOAT_EQ(items[2].right, x1);
  EXPECT_FLOAT_EQ(items[2].bottom, y1);
  EXPECT_EQ(items[2].color, (std::array<float, 4>{1, 0, 0, 1}));
  // The backdrop: the page, or a strip of its height across the whole width.
  const qv::scene::OverlayItem& back = items[0];
  EXPECT_EQ(back.color, (std::array<float, 4>{0, 0, 0, 0.5f}));
  const bool strip = anchor == kBottomStrip || anchor == kTopStrip;
  EXPECT_FLOAT_EQ(back.right - back.left, strip ? W : 2 * u);
  EXPECT_FLOAT_EQ(back.bottom - back.top, u);
  EXPECT_FLOAT_EQ(back.top, anchor == kTopStrip ? 0 : anchor == kCentred ? H / 2 - u / 2 : H - u);

  int action = -1;
  EXPECT_FALSE(panel.Release(x0 + 1, y0 - 0.01f, W, H, action));  // above the top edge
  EXPECT_FALSE(panel.Release(x1, y0, W, H, action));  // right edge of the last item
  EXPECT_FALSE(panel.Release(x0, y1, W, H, action));  // bottom edge
  EXPECT_EQ(action, -1);
  ASSERT_TRUE(panel.Release(x0, y0, W, H, action));  // the second item's top-left corner
  EXPECT_EQ(action, kStop);
  EXPECT_EQ(panel.CurrentPage(), 0);  // -1 stays
  float cx, cy;
  toPixels(0.5f, 0.5f, cx, cy);
  ASSERT_TRUE(panel.Release(cx, cy, W, H, action));
  EXPECT_EQ(action, kStepBack);
  EXPECT_EQ(panel.CurrentPage(), 4);
  // Page 4 does not exist: nothing is drawn and nothing hits.
  items.clear();
  panel.AddOverlay(W, H, items);
  EXPECT_TRUE(items.empty());
  EXPECT_FALSE(panel.Release(cx, cy, W, H, action));
}

INSTANTIATE_TEST_SUITE_P(Modes, PanelAnchors,
                         ::testing::Values(kCentred, kBottomStrip, kTopStrip, kBottomLeft));

TEST(UIPanel, ProgramPagesHideAndShowThePlaybackBar) {
  UIPanel panel;
  panel.BuildProgramPages();
  const float W = 640, H = 480;
  const int order[] = {kStepBack, kPlayBackward, kStop, kPlayForward, kStepForward};
  int action = -1;
  for (int k = 0; k < 5; ++k) {
    ASSERT_TRUE(panel.Release(64 * k + 32, H - 32, W, H, action));
    EXPECT_EQ(action, order[k]);
  }
  std::vector<qv::scene::OverlayItem> items;
  panel.AddOverlay(W, H, items);
  EXPECT_EQ(items.size(), 1u + 2 * 6);  // backdrop, then each item with its image
  // The sixth item hides the bar; the corner item shows it again.
  ASSERT_TRUE(panel.Release(5 * 64 + 32, H - 32, W, H, action));
  EXPECT_EQ(action, kNoAction);
  EXPECT_EQ(panel.CurrentPage(), 1);
  EXPECT_FALSE(panel.Release(2 * 64 + 32, H - 32, W, H, action));
  ASSERT_TRUE(panel.Release(32, H - 32, W, H, action));
  EXPECT_EQ(panel.CurrentPage(), 0);
}

TEST(UIPanel, UnitMustBePositiveAndFinite) {
  UIPanel panel;
  for (float bad : {0.0f, -3.0f, NAN, INFINITY}) {
    panel.SetUnit(bad);
    EXPECT_EQ(panel.Unit(), UIPanel::kDefaultUnit);
  }
}

}  // namespace

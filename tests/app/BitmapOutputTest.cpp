// The bitmap commands around any back end: names, magnifications, the frame bracket.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/BitmapOutput.h"

namespace {

class RecordingDevice : public IGraphicDevice {
 public:
  std::vector<std::string> calls;
  int Initialize(int, int, int) override { return 0; }
  void BeginFrame() override { calls.push_back("begin"); }
  void EndFrame() override { calls.push_back("end"); }
  void Resize(int, int) override {}
};

class RecordingRenderer : public ITiledBitmapRenderer {
 public:
  std::vector<std::string>* calls = nullptr;
  std::string path;
  int w = 0, h = 0, m = 0;
  double view[16] = {};
  double distance = 0;
  bool succeed = true;
  bool RenderTiledBitmap(const std::string& p, int tw, int th, int mag, const double v[16],
                         double d, const DisplayValues&) override {
    calls->push_back("render");
    path = p, w = tw, h = th, m = mag, distance = d;
    std::copy(v, v + 16, view);
    return succeed;
  }
};

struct Fixture {
  Quivane app;
  RecordingDevice device;
  RecordingRenderer renderer;
  Fixture() {
    renderer.calls = &device.calls;
    LawData e;
    e.type = kTypeMD;
    e.path = "/data/v1.0/run.fa2";
    app.dataSets.Append(e);
    app.drawWidth = 640;
    app.drawHeight = 480;
  }
};

TEST(BitmapOutput, WriteBitmapNamesByNumberAndUsesTheDefaultMagnification) {
  Fixture f;
  f.app.settings.defaultBmpMagnify = 3;
  f.app.camera.camera.eye = {0, -20, 0};
  EXPECT_EQ(WriteBitmap(f.app, 7, f.device, f.renderer), "/data/v1.0/run0007.bmp");
  EXPECT_EQ(f.device.calls, (std::vector<std::string>{"begin", "render", "end"}));
  EXPECT_EQ(f.renderer.w, 640);
  EXPECT_EQ(f.renderer.h, 480);
  EXPECT_EQ(f.renderer.m, 3);
  EXPECT_DOUBLE_EQ(f.renderer.distance, 20.0);
  // The camera's view matrix, eye space z forward: the eye 20 in front along +y.
  EXPECT_DOUBLE_EQ(f.renderer.view[14], 20.0);
}

TEST(BitmapOutput, WriteLargeBitmapNamesByMagnificationAndFrame) {
  Fixture f;
  f.app.settings.largeBmpMagnify = 2;
  f.app.settings.defaultPath = "/out";
  f.app.currentFrame = 15;
  EXPECT_EQ(WriteLargeBitmap(f.app, f.device, f.renderer), "/out/run_x2_15.bmp");
  EXPECT_EQ(f.renderer.m, 2);
}

TEST(BitmapOutput, FailureStillBracketsTheFrameAndNoDataDoesNothing) {
  Fixture f;
  f.renderer.succeed = false;
  EXPECT_EQ(WriteBitmap(f.app, 1, f.device, f.renderer), "");
  EXPECT_EQ(f.device.calls, (std::vector<std::string>{"begin", "render", "end"}));
  Quivane empty;
  RecordingDevice device;
  f.renderer.calls = &device.calls;
  EXPECT_EQ(WriteBitmap(empty, 1, device, f.renderer), "");
  EXPECT_EQ(WriteLargeBitmap(empty, device, f.renderer), "");
  EXPECT_TRUE(device.calls.empty());
}

}  // namespace

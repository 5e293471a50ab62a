// The device, its context registry and the fixed state.
#include <epoxy/gl.h>

#include "GLTestSupport.h"
#include "rendering/gl/GLContextRegistry.h"
#include "rendering/gl/GLErrors.h"

using namespace qvgltest;

namespace {

bool Available() {
  std::string why;
  const bool ok = HeadlessEGLSurface::Available(&why);
  EXPECT_TRUE(ok) << "headless EGL must work here: " << why;
  return ok;
}

TEST(GraphicDeviceGL15, SwapIntervalResultFollowsTheVsyncMode) {
  ASSERT_TRUE(Available());
  for (int mode : {0, 1, 2, 3}) {
    HeadlessEGLSurface surface(32, 32);
    GraphicDeviceGL15 device(&surface);
    // The headless surface cannot change the swap interval: only mode 1 notices.
    EXPECT_EQ(device.Initialize(32, 32, mode), mode == 1 ? 3 : 0) << mode;
  }
  EXPECT_EQ(GLContextRegistry::Instance().Count(), 0u);
}

TEST(GraphicDeviceGL15, BeginFrameRestoresTheFixedStateAndDrawsIntoTheSurfacesFramebuffer) {
  ASSERT_TRUE(Available());
  HeadlessEGLSurface surface(16, 8);
  GraphicDeviceGL15 device(&surface);
  ASSERT_EQ(device.Initialize(16, 8, 2), 0);
  device.BeginFrame();
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glCullFace(GL_FRONT);
  glMatrixMode(GL_PROJECTION);
  device.EndFrame();
  device.BeginFrame();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  GLint v = 0;
  glGetIntegerv(GL_CULL_FACE_MODE, &v);
  EXPECT_EQ(v, GL_BACK);
  glGetIntegerv(GL_MATRIX_MODE, &v);
  EXPECT_EQ(v, GL_MODELVIEW);
  GLfloat ambient[4];
  glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  EXPECT_FLOAT_EQ(ambient[0], 0.4f);
  EXPECT_FLOAT_EQ(ambient[3], 1.0f);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &v);
  EXPECT_EQ(static_cast<unsigned>(v), surface.Framebuffer());
  EXPECT_NE(v, 0);
  GLint depthBits = 0;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT,
                                        GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
  EXPECT_GE(depthBits, 16);
  // A cleared frame reads back at the surface's size.
  glClearColor(0, 1, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char px[4] = {};
  glReadPixels(15, 7, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  EXPECT_EQ(px[1], 255);
  device.EndFrame();
  // The surface follows its window's size; the device needs no call for it.
  surface.Resize(40, 30);
  device.BeginFrame();
  glClear(GL_COLOR_BUFFER_BIT);
  px[1] = 0;
  glReadPixels(39, 29, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
  EXPECT_EQ(px[1], 255);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  device.EndFrame();
}

TEST(GraphicDeviceGL15, LaterContextsShareTheFirstOnesObjectsAndAnyDestroyEmptiesTheRegistry) {
  ASSERT_TRUE(Available());
  GLContextRegistry& reg = GLContextRegistry::Instance();
  HeadlessEGLSurface s1(8, 8), s2(8, 8);
  auto d1 = std::make_unique<GraphicDeviceGL15>(&s1);
  auto d2 = std::make_unique<GraphicDeviceGL15>(&s2);
  ASSERT_EQ(d1->Initialize(8, 8, 2), 0);
  ASSERT_EQ(d2->Initialize(8, 8, 2), 0);
  ASSERT_EQ(reg.Count(), 2u);
  EXPECT_EQ(reg.Root(), reg.At(0).context);
  EXPECT_EQ(reg.At(0).surface, &s1);

  d1->BeginFrame();
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const unsigned char texel[4] = {1, 2, 3, 4};
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  glFinish();
  d1->EndFrame();
  d2->BeginFrame();
  EXPECT_TRUE(glIsTexture(texture)) << "the second context does not share the first's objects";
  d2->EndFrame();

  d2.reset();  // destroying any device deletes every registered context
  EXPECT_EQ(reg.Count(), 0u);
  EXPECT_EQ(reg.Capacity(), 0u);
  // The survivor has no context left: its frames make none current instead of failing.
  EXPECT_FALSE(d1->MakeCurrent());
  d1->BeginFrame();
  d1->EndFrame();
}

// A surface that only counts what the registry does with it.
class CountingSurface : public IGLSurfaceProvider {
 public:
  int destroyed = 0;
  GLContextHandle CreateContext(GLContextHandle, GLProfile) override { return this; }
  void DestroyContext(GLContextHandle) override { ++destroyed; }
  bool MakeCurrent(GLContextHandle) override { return true; }
  void DoneCurrent() override {}
  void Swap() override {}
  bool SetSwapInterval(int) override { return true; }
  unsigned Framebuffer() const override { return 0; }
  int Width() const override { return 1; }
  int Height() const override { return 1; }
};

TEST(GLContextRegistry, GrowsFromFourByDoublingAndKeepsItsEntries) {
  GLContextRegistry& reg = GLContextRegistry::Instance();
  ASSERT_EQ(reg.Count(), 0u);
  std::vector<CountingSurface> surfaces(9);
  for (int k = 0; k < 9; ++k) {
    reg.Add(&surfaces[k], &surfaces[k]);
    EXPECT_EQ(reg.Capacity(), k < 4 ? 4u : (k < 8 ? 8u : 16u));
  }
  for (int k = 0; k < 9; ++k) EXPECT_EQ(reg.Find(&surfaces[k]), &surfaces[k]);
  EXPECT_EQ(reg.Root(), &surfaces[0]);
  reg.ForgetSurface(&surfaces[0]);
  EXPECT_EQ(reg.Root(), &surfaces[1]);
  reg.DestroyAll();
  EXPECT_EQ(surfaces[0].destroyed, 0);
  for (int k = 1; k < 9; ++k) EXPECT_EQ(surfaces[k].destroyed, 1);
  EXPECT_EQ(reg.Count(), 0u);
  EXPECT_EQ(reg.Capacity(), 0u);
}

TEST(GraphicDeviceGL15, FailsOrderlyWithoutAContext) {
  class NoContext : public CountingSurface {
   public:
    GLContextHandle CreateContext(GLContextHandle, GLProfile) override { return nullptr; }
  } surface;
  GraphicDeviceGL15 device(&surface);
  EXPECT_EQ(device.Initialize(8, 8, 2), -1);
  EXPECT_EQ(GLContextRegistry::Instance().Count(), 0u);
}

TEST(GLErrors, PendingErrorIsPrintedWithItsText) {
  ASSERT_TRUE(Available());
  HeadlessEGLSurface surface(8, 8);
  GraphicDeviceGL15 device(&surface);
  ASSERT_EQ(device.Initialize(8, 8, 2), 0);
  device.BeginFrame();
  testing::internal::CaptureStdout();
  EXPECT_FALSE(qvgl::ReportGLError());
  glEnable(0x1234);
  EXPECT_TRUE(qvgl::ReportGLError());
  glDrawArrays(GL_TRIANGLES, 0, -1);
  EXPECT_TRUE(qvgl::ReportGLError());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "invalid enumerant\ninvalid value\n");
  device.EndFrame();
}

}  // namespace

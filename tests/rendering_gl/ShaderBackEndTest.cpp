// What only the shader back end has: its device's targets and resizes, the shader cache, the
// height colouring, half-float read-back, missing shader files, the filter; and a picture
// of every item kind held against the fixed-function back end's.
#include <epoxy/gl.h>

#include <filesystem>

#include "GLTestSupport.h"
#include "TestSupport.h"
#include "app/DataTypes.h"
#include "rendering/Coloring.h"
#include "rendering/gl33/BackEndGL33.h"
#include "rendering/gl33/CommonShader.h"
#include "rendering/gl33/CylinderRendererGL33.h"
#include "rendering/gl33/PointRendererGL33.h"
#include "rendering/gl33/ReadBack.h"
#include "rendering/gl33/SphereRendererGL33.h"

using namespace qvgltest;

namespace {

DataSetList One(LawData e) {
  DataSetList l;
  l.Append(std::move(e));
  return l;
}

// The pixel (origin bottom left) that a world point lands on.
std::array<int, 2> PixelOf(const SceneCamera& cam, int mode, int w, int h, float x, float y,
                           float z) {
  const CameraGL::Mat4 view = cam.camera.ViewMatrixGL();
  const CameraGL::Mat4 proj = cam.camera.ProjectionGL(mode, w, h, 0, 0, w, h, cam.distance);
  const auto c = qv::cam::Transform(qv::cam::Multiply(proj, view), {x, y, z});
  return {static_cast<int>((c[0] / c[3] + 1) * 0.5 * w), static_cast<int>((c[1] / c[3] + 1) * 0.5 * h)};
}

class ShaderBackEnd : public GLFixture {
 protected:
  qv::BackEndKind Kind() const override { return qv::BackEndKind::kShader; }
  BackEndGL33& GL33() { return *dynamic_cast<BackEndGL33*>(backEnd_.get()); }
};

// Atoms of two elements, bonds between them (split colours), the box: the same scene through
// both back ends gives the same picture but for pixels along edges.
TEST(ShaderBackEndMatchesFixedFunction, EveryItemKindInBothProjections) {
  qv::RegisterDataTypes();
  std::vector<Atom> atoms;
  std::vector<BOND_ENTRY> bonds;
  for (int k = 0; k < 6; ++k) {
    atoms.push_back({k % 2 ? 8 : 17, 0.6f + 0.55f * k, 1.0f + 0.4f * k, 0.8f + 0.45f * k});
    if (k > 0) bonds.push_back({k - 1, k, 0.55f, 0.4f, 0.45f});
  }
  atoms.push_back({1, 2, 2, 0.5f});
  bonds.push_back({6, 0, -1.4f, -1.0f, 0.3f});
  atoms.push_back({17, 3.4f, 2, 3.6f});
  bonds.push_back({7, 5, 0, 0, -1.25f});  // straight down: the cylinder's own frame decides
  auto c = MakeFrame(4, atoms, bonds);
  DataSetList list = One(MakeEntry(c));
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  for (int projection : {0, 1}) {
    for (int style : {kAtomStylePolygons, kAtomStylePoints}) {
      DisplayValues d;
      d.projection = projection;
      d.atomStyle = style;
      d.atomPoly = 10;
      d.atomRadius = 0.35;
      d.bondPoly = 8;
      d.background = {0.1f, 0.2f, 0.3f, 1};
      std::vector<std::vector<Rgb>> pictures;
      for (qv::BackEndKind kind : {qv::BackEndKind::kFixedFunction, qv::BackEndKind::kShader}) {
        HeadlessEGLSurface surface(96, 96);
        auto backEnd = qv::CreateRenderBackEnd(kind);
        ASSERT_EQ(backEnd->Initialize(surface, 96, 96, 2), 0);
        backEnd->Device()->BeginFrame();
        const auto plan =
            qv::scene::BuildScene(list, d, SceneSettings{}, SceneTile::Whole(96, 96));
        backEnd->DrawPlan(plan, cam, surface.Framebuffer());
        std::vector<unsigned char> raw(96 * 96 * 4);
        glReadPixels(0, 0, 96, 96, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
        std::vector<Rgb> p(96 * 96);
        for (size_t i = 0; i < p.size(); ++i) p[i] = {raw[4 * i], raw[4 * i + 1], raw[4 * i + 2]};
        pictures.push_back(std::move(p));
        backEnd->Device()->EndFrame();
        backEnd->Release();
      }
      int drawn = 0, differing = 0;
      for (size_t i = 0; i < pictures[0].size(); ++i) {
        const Rgb a = pictures[0][i], b = pictures[1][i];
        drawn += std::abs(a.r - 26) + std::abs(a.g - 51) + std::abs(a.b - 77) > 8;
        differing += std::abs(a.r - b.r) > 12 || std::abs(a.g - b.g) > 12 || std::abs(a.b - b.b) > 12;
      }
      EXPECT_GT(drawn, style == kAtomStylePoints ? 100 : 600) << projection << " " << style;
      // Edge pixels may fall either way; a wrong radius, colour or split would cost hundreds.
      EXPECT_LT(differing, drawn / 25 + 10) << "projection " << projection << " style " << style;
    }
  }
}

TEST_F(ShaderBackEnd, HeightModeColoursLowFirstHighLastAndDrawsNoBonds) {
  TearDown();
  Open(96, 96);
  // A column of atoms from the bottom of the box to its top; ramp centre and range default
  // to half of c.z, so z = 0 is low and z = 4 high.
  auto c = MakeFrame(4, {{8, 2, 2, 0.0f}, {8, 2, 2, 2.0f}, {8, 2, 2, 4.0f}},
                     {{0, 1, 0, 0, 2}, {1, 2, 0, 0, 2}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.box = 0;
  d.projection = 1;
  d.colorMode = qv::kColorByHeight;
  d.atomRadius = 0.3;
  d.atomPoly = 16;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  Draw(list, d, cam);
  const auto p = Read();
  const qv::HeightRamp ramp = qv::MakeHeightRamp(c->frames[0].box, 0, 0);
  for (float z : {0.0f, 2.0f, 4.0f}) {
    const auto xy = PixelOf(cam, 1, 96, 96, 2, 2, z);
    const Rgb px = At(p, xy[0], xy[1]);
    const auto want = qv::HeightColor(z, ramp);
    // Lit colour = k * ramp colour for one k: the hue is the table's.
    const double k = (px.r * want[0] + px.g * want[1] + px.b * want[2]) /
                     (255.0 * (want[0] * want[0] + want[1] * want[1] + want[2] * want[2]));
    EXPECT_GT(k, 0.4) << z;
    EXPECT_NEAR(px.r, k * 255 * want[0], 8) << z;
    EXPECT_NEAR(px.g, k * 255 * want[1], 8) << z;
    EXPECT_NEAR(px.b, k * 255 * want[2], 8) << z;
  }
  EXPECT_EQ(ramp.table[0], qv::HeightColor(0, ramp));
  EXPECT_EQ(ramp.table[8], qv::HeightColor(4, ramp));
  // Between two atoms, where the bond would run, only the background shows.
  const auto gap = PixelOf(cam, 1, 96, 96, 2, 2, 1.0f);
  EXPECT_EQ(CountNot({At(p, gap[0], gap[1])}, {0, 0, 0}), 0);
}

struct HalfCase {
  uint16_t bits;
  uint8_t byte;
};
class HalfToByte : public ::testing::TestWithParam<HalfCase> {};
TEST_P(HalfToByte, PowerOfTheChannelTimes255TruncatedAndClamped) {
  EXPECT_EQ(qvgl33::HalfToByte(GetParam().bits), GetParam().byte);
}
INSTANTIATE_TEST_SUITE_P(
    Values, HalfToByte,
    ::testing::Values(HalfCase{0x0000, 0}, HalfCase{0x8000, 0}, HalfCase{0x3C00, 255},  // 0, -0, 1
                      HalfCase{0x4000, 255}, HalfCase{0x7BFF, 255}, HalfCase{0x7C00, 255},  // 2, max, inf
                      HalfCase{0x3800, 186}, HalfCase{0xBC00, 0}, HalfCase{0x7E00, 0},      // 0.5, -1, NaN
                      HalfCase{0x0001, 0}, HalfCase{0x3BFF, 254}));  // smallest subnormal, below 1

TEST(HalfToFloat, AgreesWithTheBinary16Layout) {
  EXPECT_EQ(qvgl33::HalfToFloat(0x3C00), 1.0f);
  EXPECT_EQ(qvgl33::HalfToFloat(0xC000), -2.0f);
  EXPECT_EQ(qvgl33::HalfToFloat(0x3555), 0.333251953125f);
  EXPECT_EQ(qvgl33::HalfToFloat(0x0001), std::ldexp(1.0f, -24));
  EXPECT_EQ(qvgl33::HalfToFloat(0x7BFF), 65504.0f);
}

// The background of an empty picture through both colour formats: 8-bit as it is, half
// float through the power (0.5 -> 186), values of 1 and more -> 255.
TEST(ShaderBitmapFormats, BackgroundBytesOfEachFormat) {
  qv::RegisterDataTypes();
  auto c = MakeFrame(4, {});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.box = 0;
  d.background = {0.0f, 1.0f, 0.5f, 1.0f};
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  qvtest::TempDir dir;
  for (bool half : {false, true}) {
    HeadlessEGLSurface surface(8, 4);
    qv::BackEndOptions options;
    options.halfFloat = half;
    auto backEnd = qv::CreateRenderBackEnd(qv::BackEndKind::kShader, options);
    ASSERT_EQ(backEnd->Initialize(surface, 8, 4, 2), 0);
    auto r = backEnd->BitmapRenderer(list, cam.camera, SceneSettings{});
    ASSERT_TRUE(r->RenderTiledBitmap(dir.File("f.bmp"), 8, 4, 2, cam.view, cam.distance, d));
    qv::BgrImage image;
    ASSERT_TRUE(ReadBmp(dir.File("f.bmp"), image));
    ASSERT_EQ(image.width, 16);
    for (int y : {0, 7}) {
      const uint8_t* px = image.Row(y) + 3 * 15;
      EXPECT_EQ(px[0], half ? 186 : 128) << half;  // blue 0.5
      EXPECT_EQ(px[1], 255) << half;
      EXPECT_EQ(px[2], 0) << half;
    }
    backEnd->Release();
  }
}

TEST_F(ShaderBackEnd, SeveralResizesBeforeAFrameResizeOnceToTheLast) {
  GraphicDeviceGL33& device = *GL33().DeviceGL33();
  device.EndFrame();
  const int before = device.ResizesApplied();
  device.Resize(100, 50);
  device.Resize(20, 30);
  device.Resize(40, 24);
  EXPECT_EQ(device.ResizesApplied(), before) << "Resize only records";
  device.BeginFrame();
  EXPECT_EQ(device.ResizesApplied(), before + 1);
  EXPECT_EQ(device.Context().width, 40);
  EXPECT_EQ(device.Context().height, 24);
  GLint w = 0;
  glBindRenderbuffer(GL_RENDERBUFFER, device.Context().color);
  glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &w);
  EXPECT_EQ(w, 40);
  device.EndFrame();
  device.Resize(40, 24);  // the same size again remakes nothing
  device.BeginFrame();
  EXPECT_EQ(device.ResizesApplied(), before + 1);
}

TEST_F(ShaderBackEnd, CacheSharesShadersByFileProfileAndLayout) {
  qvgl33::CommonShader cache(GL33().Shaders().Directory());
  qvgl33::SphereColorTableRendererGL33 spheres(cache);
  qvgl33::CylinderColorTableRendererGL33 cylinders(cache);
  qvgl33::PointRendererGL33 points(cache);
  qvgl33::PointSpriteGL33 sprites(cache);
  EXPECT_TRUE(spheres.Ready() && cylinders.Ready() && points.Ready() && sprites.Ready());
  const auto table = qvgl33::SphereColorTableRendererGL33::Layout();
  EXPECT_EQ(cache.UseCount("vs_inst_color_table.glsl", "vs_4_0", table), 2);
  EXPECT_EQ(cache.UseCount("ps_color.glsl", "ps_4_0"), 2);
  // One vertex shader file, two layouts: two entries of one use each.
  EXPECT_EQ(cache.UseCount("vs_point_color.glsl", "vs_4_0", qvgl33::PointRendererGL33::Layout()), 1);
  EXPECT_EQ(cache.UseCount("vs_point_color.glsl", "vs_4_0", qvgl33::PointSpriteGL33::Layout()), 1);
  EXPECT_EQ(cache.UseCount("gs_point_color.glsl", "gs_4_0"), 2);
  EXPECT_EQ(cache.UseCount("ps_point_color.glsl", "ps_4_0"), 2);
  EXPECT_EQ(cache.Size(), 6u);
  EXPECT_EQ(cache.Get("no_such_shader.glsl", "main", "ps_4_0"), nullptr);
  EXPECT_EQ(cache.Size(), 6u);
}

TEST(ShaderBackEndFiles, AMissingShaderLeavesOnlyItsRendererWithoutPicture) {
  qv::RegisterDataTypes();
  qvtest::TempDir dir;
  for (const auto& f : std::filesystem::directory_iterator(std::string(QV_SOURCE_DIR) + "/shaders"))
    if (f.path().filename() != "vs_inst_color.glsl")
      std::filesystem::copy_file(f.path(), dir.path() / f.path().filename());
  auto c = MakeFrame(4, {{17, 1, 2, 2}, {17, 3, 2, 2}}, {{0, 1, 2, 0, 0}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.atomRadius = 0.4;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  HeadlessEGLSurface surface(64, 64);
  BackEndGL33::Options options;
  options.shaderDirectory = dir.path().string();
  BackEndGL33 backEnd(options);
  ASSERT_EQ(backEnd.Initialize(surface, 64, 64, 2), 0);
  backEnd.Device()->BeginFrame();
  backEnd.DrawPlan(qv::scene::BuildScene(list, d, SceneSettings{}, SceneTile::Whole(64, 64)), cam,
                   surface.Framebuffer());
  std::vector<unsigned char> raw(64 * 64 * 4);
  glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  auto at = [&](int x, int y) { return &raw[4 * (64 * y + x)]; };
  EXPECT_GT(at(32, 32)[1], 40) << "the bond between the atoms is drawn";
  // About 7.7 pixels per unit: the atom at x = 1 would cover pixel 17.
  EXPECT_EQ(at(17, 32)[1], 0) << "the spheres have no shader";
  int boxPixels = 0;
  for (size_t i = 0; i < raw.size(); i += 4) boxPixels += raw[i] == 255 && raw[i + 1] == 255;
  EXPECT_GT(boxPixels, 50) << "the box is drawn";
  backEnd.Device()->EndFrame();
  backEnd.Release();
}

TEST_F(ShaderBackEnd, UnchangedDataUploadsNothingTheNextFrame) {
  // Two data sets, superimposed and side by side: each keeps its own buffers.
  auto c = MakeFrame(4, {{8, 1, 2, 2}, {8, 3, 2, 2}}, {{0, 1, 2, 0, 0}});
  auto other = MakeFrame(4, {{17, 2, 2, 1}, {17, 2, 2, 3}}, {{0, 1, 0, 0, 2}});
  DataSetList list;
  list.Append(MakeEntry(c));
  list.Append(MakeEntry(other));
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  qv::scene::SceneCache cache;
  for (int layout : {kLayoutOverlaid, kLayoutSideBySide}) {
    DisplayValues d;
    d.multiData = layout;
    auto frame = [&] {
      const int before = GL33().Spheres().UploadsSoFar() + GL33().Cylinders().UploadsSoFar();
      backEnd_->DrawPlan(qv::scene::BuildScene(list, d, SceneSettings{}, SceneTile::Whole(64, 64),
                                               qv::scene::ScenePurpose::kScreen, &cache),
                         cam, surface_->Framebuffer());
      return GL33().Spheres().UploadsSoFar() + GL33().Cylinders().UploadsSoFar() - before;
    };
    frame();
    EXPECT_EQ(frame(), 0) << layout;
    d.colorMode = qv::kColorByBondCount;
    EXPECT_EQ(frame(), 4) << layout;
    c->frames[0].index = 3 + layout;  // another frame read into the first data set's record
    EXPECT_EQ(frame(), 2) << layout;
    EXPECT_EQ(frame(), 0) << layout;
  }
}

TEST_F(ShaderBackEnd, SmallBudgetSplitsBuffersWithoutChangingThePicture) {
  std::vector<Atom> atoms;
  std::vector<BOND_ENTRY> bonds;
  for (int k = 0; k < 30; ++k) atoms.push_back({k % 2 ? 8 : 17, 0.3f + 0.12f * k, 2, 0.3f + 0.1f * k});
  for (int k = 0; k + 1 < 30; ++k) bonds.push_back({k, k + 1, 0.12f, 0, 0.1f});
  auto c = MakeFrame(4, atoms, bonds);
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.box = 0;
  d.atomRadius = 0.2;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  for (int style : {kAtomStylePolygons, kAtomStylePoints}) {
    d.atomStyle = style;
    Draw(list, d, cam);
    const auto whole = Read();
    SceneSettings s;
    s.vramBytes = 64;  // four instances or points, one bond per buffer
    Draw(list, d, cam, s);
    EXPECT_EQ(CountNot(Read(), {0, 0, 0}), CountNot(whole, {0, 0, 0})) << style;
    if (style == kAtomStylePolygons) {
      EXPECT_EQ(GL33().Spheres().Last().drawCalls, 8);
      EXPECT_EQ(GL33().Cylinders().Last().drawCalls, 29);
    } else {
      EXPECT_EQ(GL33().Points().Last().drawCalls, 8);
    }
  }
}

TEST_F(ShaderBackEnd, DepthOfFieldFilterKeepsTheFocusedAtomAndBlursTheRest) {
  auto c = MakeFrame(4, {{8, 2, 2, 2}, {8, 0.5f, 0.2f, 3.5f}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.box = 0;
  d.atomRadius = 0.5;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  Draw(list, d, cam);
  const auto sharp = Read();
  SceneSettings s;
  s.renderingFilter = 1;
  Draw(list, d, cam, s);
  const auto filtered = Read();
  EXPECT_NEAR(At(filtered, 32, 32).r, At(sharp, 32, 32).r, 12) << "the target's depth is in focus";
  EXPECT_GT(CountNot(filtered, {0, 0, 0}, 2), CountNot(sharp, {0, 0, 0}, 2))
      << "the near atom spreads";
}

// A surface that cannot give any context.
class NoContextSurface : public IGLSurfaceProvider {
 public:
  GLContextHandle CreateContext(GLContextHandle, GLProfile) override { return nullptr; }
  void DestroyContext(GLContextHandle) override {}
  bool MakeCurrent(GLContextHandle) override { return false; }
  void DoneCurrent() override {}
  void Swap() override {}
  bool SetSwapInterval(int) override { return false; }
  unsigned Framebuffer() const override { return 0; }
  int Width() const override { return 1; }
  int Height() const override { return 1; }
};

TEST(ShaderBackEndStart, WithoutACoreContextItFailsNamingTheFixedFunctionSetting) {
  NoContextSurface surface;
  BackEndGL33 backEnd;
  EXPECT_EQ(backEnd.Initialize(surface, 64, 64, 2), -1);
  EXPECT_EQ(backEnd.Device(), nullptr);
  EXPECT_NE(backEnd.InitializeError().find("\"DirectX11\"=0"), std::string::npos)
      << backEnd.InitializeError();
  EXPECT_EQ(backEnd.BitmapRenderer(DataSetList{}, CameraGL{}, SceneSettings{}), nullptr);
}

// A first data set whose type refuses shader bitmaps writes no file.
void RefusingBuilder(const LawData&, qv::scene::SceneContext& ctx, std::vector<qv::scene::DrawItem>&) {
  if (ctx.dataSet == 0) ctx.plan.refusesShaderBitmap = true;
}

TEST_F(ShaderBackEnd, APlanThatRefusesShaderBitmapsWritesNoFile) {
  constexpr int32_t kRefusingType = 90;
  qv::scene::SceneBuilders::Instance().Register(kRefusingType, &RefusingBuilder);
  LawData e = MakeEntry(MakeFrame(4, {{8, 2, 2, 2}}));
  e.type = kRefusingType;
  DataSetList list = One(std::move(e));
  qvtest::TempDir dir;
  qv::BgrImage image;
  const SceneCamera cam;
  EXPECT_FALSE(Bitmap(list, DisplayValues{}, cam, 1, dir.File("none.bmp"), image));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.bmp")));
}

}  // namespace

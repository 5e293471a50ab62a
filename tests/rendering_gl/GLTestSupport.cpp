#include "GLTestSupport.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>

#include "TestSupport.h"
#include "app/DataTypes.h"

namespace qvgltest {

std::shared_ptr<qvtest::MemoryTrajectory> MakeFrame(double edge, const std::vector<Atom>& atoms,
                                                    const std::vector<BOND_ENTRY>& bonds) {
  auto c = std::make_shared<qvtest::MemoryTrajectory>(1);
  ATOMS_DATA& f = c->frames[0];
  f.Allocate(static_cast<int32_t>(atoms.size()));
  for (int k = 0; k < 9; ++k) f.box[k] = (k % 4 == 0) ? edge : 0.0;
  for (size_t a = 0; a < atoms.size(); ++a) {
    f.atomicNumbers[a] = atoms[a].z;
    f.positions[3 * a] = atoms[a].x;
    f.positions[3 * a + 1] = atoms[a].y;
    f.positions[3 * a + 2] = atoms[a].zz;
  }
  f.bonds.entries.resize(bonds.size());
  f.bonds.counts.resize(atoms.size());
  for (size_t a = 0; a < atoms.size(); ++a) f.bonds.counts[a] = 0;
  for (size_t b = 0; b < bonds.size(); ++b) {
    f.bonds.entries[b] = bonds[b];
    ++f.bonds.counts[bonds[b].i];
    ++f.bonds.counts[bonds[b].j];
  }
  f.bonds.bondCount = static_cast<int32_t>(bonds.size());
  return c;
}

LawData MakeEntry(std::shared_ptr<qvtest::MemoryTrajectory> c, const std::string& extension) {
  LawData e;
  e.type = kTypeMD;
  e.path = "/tmp/scene." + extension;
  e.nameOffset = 5;
  e.extOffset = e.path.size() - extension.size();
  e.container = std::move(c);
  return e;
}

SceneCamera FittedCamera(const double box[9], const double origin[3]) {
  CameraGL camera;
  camera.FitToData(box, origin);
  return SceneCamera::From(camera);
}

void GLFixture::Open(int width, int height) {
  qv::RegisterDataTypes();
  width_ = width;
  height_ = height;
  std::string why;
  ASSERT_TRUE(HeadlessEGLSurface::Available(&why)) << "headless EGL must work here: " << why;
  surface_ = std::make_unique<HeadlessEGLSurface>(width, height);
  backEnd_ = qv::CreateRenderBackEnd(Kind());
  ASSERT_EQ(backEnd_->Initialize(*surface_, width, height, 2), 0);
  backEnd_->Device()->BeginFrame();
  ASSERT_NE(surface_->Framebuffer(), 0u);
}

void GLFixture::TearDown() {
  if (backEnd_ && backEnd_->Device()) backEnd_->Device()->EndFrame();
  if (backEnd_) backEnd_->Release();
  backEnd_.reset();
  surface_.reset();
}

BackEndGL15& GLFixture::GL15() {
  auto* gl15 = dynamic_cast<BackEndGL15*>(backEnd_.get());
  EXPECT_NE(gl15, nullptr) << "these checks are of the fixed-function back end";
  return *gl15;
}

std::vector<Rgb> GLFixture::Read() const {
  std::vector<unsigned char> raw(size_t(width_) * height_ * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  std::vector<Rgb> out(size_t(width_) * height_);
  for (size_t i = 0; i < out.size(); ++i) out[i] = {raw[4 * i], raw[4 * i + 1], raw[4 * i + 2]};
  return out;
}

void GLFixture::Draw(const DataSetList& list, const DisplayValues& display,
                     const SceneCamera& camera, const SceneSettings& settings) {
  const qv::scene::ScenePlan plan =
      qv::scene::BuildScene(list, display, settings, SceneTile::Whole(width_, height_));
  backEnd_->DrawPlan(plan, camera, surface_->Framebuffer());
  glFinish();
}

bool GLFixture::Bitmap(const DataSetList& list, const DisplayValues& display,
                       const SceneCamera& camera, int magnify, const std::string& path,
                       qv::BgrImage& image) {
  const SceneSettings settings;
  std::unique_ptr<ITiledBitmapRenderer> r = backEnd_->BitmapRenderer(list, camera.camera, settings);
  if (!r || !r->RenderTiledBitmap(path, width_, height_, magnify, camera.view, camera.distance,
                                  display))
    return false;
  return ReadBmp(path, image);
}

}  // namespace qvgltest

namespace qv {
void PrintTo(BackEndKind kind, std::ostream* os) { *os << BackEndName(kind); }
}  // namespace qv

namespace qvgltest {

std::string BackEndParamName(const ::testing::TestParamInfo<qv::BackEndKind>& info) {
  return qv::BackEndName(info.param);
}

bool ReadBmp(const std::string& path, qv::BgrImage& image) {
  const std::vector<uint8_t> bytes = qvtest::ReadFile(path);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  auto u32 = [&](size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
  };
  const int w = static_cast<int>(u32(18)), h = static_cast<int>(u32(22));
  if (!image.Allocate(w, h) || bytes.size() != 54 + image.pixels.size()) return false;
  std::copy(bytes.begin() + 54, bytes.end(), image.pixels.begin());
  return true;
}

int CountNot(const std::vector<Rgb>& p, Rgb bg, int tol) {
  int n = 0;
  for (const Rgb& c : p) {
    if (std::abs(c.r - bg.r) > tol || std::abs(c.g - bg.g) > tol || std::abs(c.b - bg.b) > tol) ++n;
  }
  return n;
}

}  // namespace qvgltest

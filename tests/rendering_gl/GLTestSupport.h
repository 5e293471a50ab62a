#pragma once
// Real renders through headless EGL on whatever Mesa driver is present (llvmpipe in CI).
// A machine where EGL cannot start fails these tests: they never skip. The fixture takes its
// back end from the program's factory; pixel checks that hold for every back end run on each
// one the build has.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "MemoryTrajectory.h"
#include "app/BackEndFactory.h"
#include "data/DataSetList.h"
#include "output/BitmapFile.h"
#include "rendering/RenderBackEnd.h"
#include "rendering/gl/BackEndGL15.h"
#include "rendering/headless/HeadlessEGLSurface.h"

namespace qvgltest {

struct Atom {
  int z;
  float x, y, zz;
};

// A one-frame trajectory: a cubic box of edge `edge` at the origin with the given atoms;
// bonds as listed (their vectors from atom i to atom j as given) with the per-atom counts
// filled.
std::shared_ptr<qvtest::MemoryTrajectory> MakeFrame(double edge, const std::vector<Atom>& atoms,
                                                    const std::vector<BOND_ENTRY>& bonds = {});
// An entry named "/tmp/scene.<extension>".
LawData MakeEntry(std::shared_ptr<qvtest::MemoryTrajectory> c,
                  const std::string& extension = "fa2");

// The camera as the viewer places it after a load: looking along +y at the box centre.
SceneCamera FittedCamera(const double box[9], const double origin[3]);

struct Rgb {
  int r, g, b;
};

// A headless surface with an initialised back end, its frame begun.
class GLFixture : public ::testing::Test {
 protected:
  // The back end drawn with; the parameterised fixture below runs each one.
  virtual qv::BackEndKind Kind() const { return qv::BackEndKind::kFixedFunction; }
  void Open(int width, int height);
  void SetUp() override { Open(64, 64); }
  void TearDown() override;
  // The framebuffer's pixels, row 0 at the bottom.
  std::vector<Rgb> Read() const;
  Rgb At(const std::vector<Rgb>& p, int x, int y) const { return p[size_t(y) * width_ + x]; }
  void Draw(const DataSetList& list, const DisplayValues& display, const SceneCamera& camera,
            const SceneSettings& settings = {});
  // The bitmap command's picture through the back end's bitmap renderer, read back from
  // the file it wrote. False when nothing was written.
  bool Bitmap(const DataSetList& list, const DisplayValues& display, const SceneCamera& camera,
              int magnify, const std::string& path, qv::BgrImage& image);
  // The fixed-function back end's renderers, for the checks of its own batching.
  BackEndGL15& GL15();

  int width_ = 0, height_ = 0;
  std::unique_ptr<HeadlessEGLSurface> surface_;
  std::unique_ptr<IRenderBackEnd> backEnd_;
};

class BackEndFixture : public GLFixture, public ::testing::WithParamInterface<qv::BackEndKind> {
 protected:
  qv::BackEndKind Kind() const override { return GetParam(); }
};

}  // namespace qvgltest

namespace qv {
// Shows the back end's name where a test names its parameter.
void PrintTo(BackEndKind kind, std::ostream* os);
}  // namespace qv

namespace qvgltest {

// Names the parameter in test names ("gl15").
std::string BackEndParamName(const ::testing::TestParamInfo<qv::BackEndKind>& info);

// Reads a 24-bit BMP file the bitmap writer made; false when it is not one.
bool ReadBmp(const std::string& path, qv::BgrImage& image);

// Pixels differing from the background.
int CountNot(const std::vector<Rgb>& p, Rgb background, int tolerance = 8);

}  // namespace qvgltest

// Runs a parameterised suite on every back end the build has.
#define QV_ON_EVERY_BACK_END(Suite)                                                  \
  INSTANTIATE_TEST_SUITE_P(BackEnds, Suite, ::testing::ValuesIn(qv::BuiltBackEnds()), \
                           qvgltest::BackEndParamName)

#pragma once
// Real renders through headless EGL on whatever Mesa driver is present (llvmpipe in CI).
// A machine where EGL cannot start fails these tests: they never skip.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "MemoryTrajectory.h"
#include "data/DataSetList.h"
#include "rendering/gl/GraphicDeviceGL15.h"
#include "rendering/gl/SceneGL.h"
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

// A headless surface with an initialised device, its frame begun.
class GLFixture : public ::testing::Test {
 protected:
  void Open(int width, int height);
  void SetUp() override { Open(64, 64); }
  void TearDown() override;
  // The framebuffer's pixels, row 0 at the bottom.
  std::vector<Rgb> Read() const;
  Rgb At(const std::vector<Rgb>& p, int x, int y) const { return p[size_t(y) * width_ + x]; }
  void Draw(const DataSetList& list, const DisplayValues& display, const SceneCamera& camera,
            const SceneSettings& settings = {});

  int width_ = 0, height_ = 0;
  std::unique_ptr<HeadlessEGLSurface> surface_;
  std::unique_ptr<GraphicDeviceGL15> device_;
  SceneRendererGL scene_;
};

// Pixels differing from the background.
int CountNot(const std::vector<Rgb>& p, Rgb background, int tolerance = 8);

}  // namespace qvgltest

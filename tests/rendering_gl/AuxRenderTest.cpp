// Pixel checks of the auxiliary kinds of data set, loaded from files as the viewer does.
#include "GLTestSupport.h"
#include "TestSupport.h"

using namespace qvgltest;

namespace {

class AuxRender : public BackEndFixture {
 protected:
  // Loads one file (the loaders' console lines swallowed) and draws it with the camera the
  // viewer fits to its box.
  void Load(const std::string& name, const std::string& content) {
    path_ = dir_.File(name);
    qvtest::WriteText(path_, content);
    testing::internal::CaptureStdout();
    list_.OpenDataFile(path_, LoadOptions{});
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(list_.Size(), 1u) << name;
  }
  std::vector<Rgb> Render(const SceneSettings& settings = {}) {
    double box[9], origin[3];
    list_[0].GetBox(box, origin);
    DisplayValues d;
    d.box = 0;
    Draw(list_, d, FittedCamera(box, origin), settings);
    return Read();
  }

  qvtest::TempDir dir_;
  std::string path_;
  DataSetList list_;
};
QV_ON_EVERY_BACK_END(AuxRender);

int Count(const std::vector<Rgb>& p, Rgb want, int tolerance) {
  int n = 0;
  for (const Rgb& c : p) {
    n += std::abs(c.r - want.r) <= tolerance && std::abs(c.g - want.g) <= tolerance &&
         std::abs(c.b - want.b) <= tolerance;
  }
  return n;
}

// A path across the box's middle grows with the step: nothing at step 0, the first half at
// step 1, all of it at step 2.
TEST_P(AuxRender, ScatteringPathsGrowWithTheStepInTheTrajectoryColour) {
  Load("p.traj", "BOX 4 0 0 0 4 0 0 0 4 0 0 0\n0.5 2 2 1\n2 2 2 1\n3.5 2 2 2\n\n0 0 0 9\n\n");
  SceneSettings s;
  s.traceColor = {1, 0.5f, 0};
  s.traceWidth = 3;
  const Rgb orange{255, 128, 0};
  EXPECT_EQ(Count(Render(s), orange, 40), 0) << "step 0 shows no point";
  list_[0].SetFrame(1);
  auto p = Render(s);
  const int half = Count(p, orange, 40);
  EXPECT_GT(half, 20);
  int right = 0;
  for (int y = 0; y < 64; ++y) {
    right += Count({p.begin() + y * 64 + 40, p.begin() + y * 64 + 64}, orange, 40);
  }
  EXPECT_EQ(right, 0) << "the second half is not reached yet";
  list_[0].SetFrame(2);
  EXPECT_GT(Count(Render(s), orange, 40), half + 10);
}

// Two cells side by side along x: the left of value 1 (red, opacity 96), the right of 0
// (transparent) in the cube's own normalisation.
TEST_P(AuxRender, FieldCellsAreTranslucentAtTheirCellCentres) {
  Load("f.cube", "c\nc\n 0 0 0 0\n 2 2 0 0\n 1 0 4 0\n 1 0 0 4\n5\n-1\n");
  const auto p = Render();
  const Rgb left = At(p, 20, 32), right = At(p, 44, 32);
  EXPECT_NEAR(left.r, 96, 6) << "red at opacity 96 over black";
  EXPECT_LT(left.g + left.b, 10);
  EXPECT_LT(right.r + right.g + right.b, 10);
}

TEST_P(AuxRender, SpkSitesAreAtomsOfNumberZero) {
  Load("s.spk", "1 0\nt\nBOX 4 0 0 0 4 0 0 0 4 0 0 0\nSITE 2 2 2\n");
  const Rgb c = At(Render(), 32, 32);
  // The element colour of number 0 (51, 205, 205), lit: more green and blue than red.
  EXPECT_GT(c.g, c.r + 40);
  EXPECT_NEAR(c.g, c.b, 10);
}

}  // namespace

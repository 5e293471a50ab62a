// Scattering trajectories: the text reader and the visible set of a step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "auxdata/scattering/BCALoader.h"
#include "data/text/LineReader.h"

namespace {

struct Loaded {
  BCALoader loader;
  std::string console;
  bool ok = false;
};

void Load(const std::string& text, Loaded& out) {
  qv::LineReader lines;
  lines.OpenMemory(text);
  testing::internal::CaptureStdout();
  out.ok = out.loader.Read(lines, "t.traj");
  out.console = testing::internal::GetCapturedStdout();
}

// Which points of each path the step shows, as the rebuild is meant to choose them:
// a path is cut at its first point beyond the step.
std::vector<std::vector<uint32_t>> Expected(const BCALoader& b, int step) {
  std::vector<std::vector<uint32_t>> out;
  uint32_t k = 0;
  for (int32_t n : b.PathLengths()) {
    std::vector<uint32_t> path;
    for (int32_t i = 0; i < n && b.Steps()[k + i] <= step; ++i) path.push_back(k + i);
    if (!path.empty()) out.push_back(path);
    k += n;
  }
  return out;
}

std::vector<std::vector<uint32_t>> Visible(BCALoader& b) {
  const BCAVisibleSet* v = b.GetVisibleSet();
  std::vector<std::vector<uint32_t>> out;
  const uint32_t* idx = v->indices;
  for (int64_t p = 0; p < v->pathCount; ++p) {
    out.emplace_back(idx, idx + v->counts[p]);
    idx += v->counts[p];
  }
  EXPECT_EQ(idx - v->indices, v->pointCount);
  return out;
}

TEST(ScatteringReader, PathsEndAtBlankLinesAndTheLastUnendedPathBelongsToNone) {
  Loaded l;
  Load("BOX 10 0 0  0 20 0  0 0 30  -5 -10 -15\n"
       "0 0 0 1\n1 0 0 2\r\n\n\n"  // two blank lines make one path end, no empty path
       "\t \n"                     // whitespace only is blank too
       "2 2 2\n3 3 3 -4\n4 4 4 2000000000\n\n"
       "7 7 7 3\n",
       l);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.loader.PathLengths(), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(l.loader.PointCount(), 6u);
  EXPECT_EQ(l.loader.Steps(), (std::vector<int32_t>{1, 2, 0, -4, 2000000000, 3}));
  EXPECT_EQ(l.loader.StepCount(), 2000000000);
  EXPECT_NE(l.console.find("last 1 points"), std::string::npos) << l.console;
  double box[9], origin[3];
  l.loader.GetBox(box, origin);
  EXPECT_EQ(box[4], 20);
  EXPECT_EQ(origin[2], -15);
  // The unended path never shows, whatever the step.
  l.loader.SetCurrentStep(1999999999);
  for (const auto& path : Visible(l.loader)) EXPECT_LT(path.back(), 5u);
}

TEST(ScatteringReader, WithoutABoxLineTheBoxIsSymmetricAroundTheOrigin) {
  Loaded l;
  Load("1 -2 0.5\n-3 1 -0.25\n\n", l);
  ASSERT_TRUE(l.ok);
  double box[9], origin[3];
  l.loader.GetBox(box, origin);
  EXPECT_EQ(std::vector<double>(box, box + 9), (std::vector<double>{6, 0, 0, 0, 4, 0, 0, 0, 1}));
  EXPECT_EQ(std::vector<double>(origin, origin + 3), (std::vector<double>{-3, -2, -0.5}));
  EXPECT_EQ(l.loader.StepCount(), 0);
  EXPECT_EQ(l.loader.FrameCount(), 1);
}

TEST(ScatteringReader, ShortPointAndBoxLinesAreRejectedByLineNumber) {
  Loaded l;
  Load("BOX 1 2 3 4 5 6 7 8 9 10 11\n0 0 0\n1 2\n\n", l);
  ASSERT_TRUE(l.ok);
  EXPECT_FALSE(l.loader.HadBoxLine());
  EXPECT_EQ(l.loader.PathLengths(), (std::vector<int32_t>{1}));
  EXPECT_NE(l.console.find("line 1: a BOX line needs twelve numbers"), std::string::npos);
  EXPECT_NE(l.console.find("line 3: a point needs three coordinates"), std::string::npos);
}

TEST(ScatteringReader, AFileWithoutPointsHasNoVisibleSet) {
  Loaded l;
  Load("BOX 1 0 0 0 1 0 0 0 1 0 0 0\n\n", l);
  EXPECT_EQ(l.loader.GetVisibleSet(), nullptr);
  EXPECT_NE(l.console.find("error:trajectory"), std::string::npos);
}

TEST(ScatteringSteps, SetCurrentStepClampsToTheStepsOfTheFile) {
  Loaded l;
  Load("0 0 0 0\n1 1 1 5\n\n", l);
  const std::pair<int, int> cases[] = {{-3, 0}, {2, 2}, {4, 4}, {5, 4}, {1 << 30, 4}};
  for (auto [want, got] : cases) EXPECT_EQ(l.loader.SetCurrentStep(want), got) << want;
  EXPECT_EQ(l.loader.FrameCount(), 5);
}

// Steps that are not increasing, a path starting beyond the step, negative steps.
TEST(ScatteringSteps, TheVisibleSetMatchesTheRuleAtEveryStep) {
  Loaded l;
  Load("0 0 0 0\n1 0 0 2\n2 0 0 1\n3 0 0 3\n\n"
       "0 1 0 4\n1 1 0 5\n\n"
       "0 2 0 -7\n1 2 0 6\n\n",
       l);
  ASSERT_EQ(l.loader.StepCount(), 6);
  for (int s = 0; s < 6; ++s) {
    ASSERT_EQ(l.loader.SetCurrentStep(s), s);
    EXPECT_EQ(Visible(l.loader), Expected(l.loader, s)) << "step " << s;
  }
  l.loader.SetCurrentStep(1);
  EXPECT_EQ(Visible(l.loader), (std::vector<std::vector<uint32_t>>{{0}, {6}}));
}

TEST(ScatteringSteps, TheVisibleSetIsRebuiltOnlyWhenTheStepChanges) {
  Loaded l;
  Load("0 0 0 0\n1 1 1 3\n\n", l);
  l.loader.GetVisibleSet();
  const uint64_t built = l.loader.Revision();
  l.loader.SetCurrentStep(0);
  l.loader.GetVisibleSet();
  EXPECT_EQ(l.loader.Revision(), built);
  l.loader.SetCurrentStep(2);
  EXPECT_EQ(l.loader.GetVisibleSet()->pointCount, 1);
  EXPECT_EQ(l.loader.Revision(), built + 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "rendering/AtomPicking.h"

using qv::MakePickRay;
using qv::PickAtom;
using qv::PickRay;

namespace {
const double kEye[3] = {0, -10, 0};
const double kTarget[3] = {0, 0, 0};
const double kUp[3] = {0, 0, 1};
const double kAngle = 0.4;

PickRay Ray(int w, int h, int x, int y) {
  PickRay r{};
  EXPECT_TRUE(MakePickRay(kEye, kTarget, kUp, kAngle, w, h, x, y, r));
  return r;
}
}  // namespace

TEST(AtomPicking, CentreClickPicksTheNearestToTheAxisLowestIndexOnTies) {
  const PickRay ray = Ray(100, 100, 50, 50);
  EXPECT_NEAR(ray.direction[1], 1.0, 1e-12);
  const std::vector<float> p = {0, 5, 0.1f, 0, 0, 0, 0, 3, 0, 2, 0, 0};
  EXPECT_EQ(PickAtom(ray, p.data(), 4, 0.3, -1), 1);  // atoms 1 and 2 both on the axis
}

TEST(AtomPicking, EdgeClicksFollowScreenRightAndUpWithTheAspect) {
  const double k = 10 * std::tan(kAngle);
  // Right edge of a 200 x 100 view at the target's depth lies at x = 2k.
  const std::vector<float> right = {static_cast<float>(2 * k), 0, 0};
  EXPECT_EQ(PickAtom(Ray(200, 100, 200, 50), right.data(), 1, 0.05, -1), 0);
  EXPECT_EQ(PickAtom(Ray(200, 100, 0, 50), right.data(), 1, 0.05, -1), -1);
  // Top edge (pixel row 0) at z = k.
  const std::vector<float> top = {0, 0, static_cast<float>(k)};
  EXPECT_EQ(PickAtom(Ray(200, 100, 100, 0), top.data(), 1, 0.05, -1), 0);
  EXPECT_EQ(PickAtom(Ray(200, 100, 100, 100), top.data(), 1, 0.05, 7), 7);
}

TEST(AtomPicking, MissesKeepTheSelectionAndTheRadiusBoundsAHit) {
  const PickRay ray = Ray(100, 100, 50, 50);
  const std::vector<float> p = {0.5f, 0, 0};
  EXPECT_EQ(PickAtom(ray, p.data(), 1, 0.49, 3), 3);
  EXPECT_EQ(PickAtom(ray, p.data(), 1, 0.5, 3), 0);
  EXPECT_EQ(PickAtom(ray, nullptr, 0, 1.0, 3), 3);
}

TEST(AtomPicking, DegenerateCamerasAndViewsGiveNoRay) {
  PickRay r{};
  EXPECT_FALSE(MakePickRay(kEye, kEye, kUp, kAngle, 100, 100, 0, 0, r));  // eye on target
  const double upAlongView[3] = {0, 1, 0};
  EXPECT_FALSE(MakePickRay(kEye, kTarget, upAlongView, kAngle, 100, 100, 0, 0, r));
  EXPECT_FALSE(MakePickRay(kEye, kTarget, kUp, kAngle, 0, 100, 0, 0, r));
  EXPECT_FALSE(MakePickRay(kEye, kTarget, kUp, kAngle, 100, 0, 0, 0, r));
}

#include "rendering/Camera.h"
#include "rendering/ViewLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using qv::cam::Mat4;
using qv::cam::Vec3;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = 1e-9;

void ExpectVec(Vec3 actual, Vec3 expected, double tol = kEps) {
  EXPECT_NEAR(actual.x, expected.x, tol);
  EXPECT_NEAR(actual.y, expected.y, tol);
  EXPECT_NEAR(actual.z, expected.z, tol);
}

void ExpectMat(const Mat4& a, const Mat4& b, double tol) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tol) << "element " << i;
}

bool Finite(const Mat4& m) {
  for (double v : m) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// Every matrix a camera hands out, for every projection and a few image shapes.
void ExpectAllFinite(const CameraGL& c) {
  ASSERT_TRUE(Finite(c.ViewMatrix()));
  ASSERT_TRUE(Finite(c.ViewMatrixGL()));
  for (int mode : {kPerspective, kOrthographic}) {
    for (auto [w, h] : {std::pair{640, 480}, {0, 0}, {1, 100000}}) {
      ASSERT_TRUE(Finite(c.ProjectionGL(mode, w, h))) << mode << " " << w << "x" << h;
      ASSERT_TRUE(Finite(c.ProjectionDX(mode, w, h))) << mode << " " << w << "x" << h;
    }
  }
  ASSERT_TRUE(std::isfinite(c.target.x) && std::isfinite(c.eye.y) && std::isfinite(c.up.z));
}

// Eye-space position of a world point under the z-forward view matrix.
Vec3 EyeSpace(const CameraGL& c, Vec3 p) {
  const auto e = qv::cam::Transform(c.ViewMatrix(), p);
  return {e[0], e[1], e[2]};
}

// Depth-buffer value of an eye-space depth (distance along the view) under a projection.
double NdcDepthGL(const Mat4& p, double depth) {
  const auto c = qv::cam::Transform(p, {0, 0, -depth});
  return c[2] / c[3];
}
double NdcDepthDX(const Mat4& p, double depth) {
  const auto c = qv::cam::Transform(p, {0, 0, depth});
  return c[2] / c[3];
}

}  // namespace

TEST(CameraView, DefaultLooksAlongPlusYWithZUp) {
  CameraGL c;
  ExpectVec(EyeSpace(c, {0, 0, 0}), {0, 0, 50});
  ExpectVec(EyeSpace(c, {1, 0, 0}), {1, 0, 50});   // +x is screen right
  ExpectVec(EyeSpace(c, {0, 0, 1}), {0, 1, 50});   // +z is screen up
  EXPECT_DOUBLE_EQ(c.Distance(), 50);
  // The OpenGL form looks down -z.
  const auto gl = qv::cam::Transform(c.ViewMatrixGL(), {0, 0, 1});
  EXPECT_NEAR(gl[0], 0, kEps);
  EXPECT_NEAR(gl[1], 1, kEps);
  EXPECT_NEAR(gl[2], -50, kEps);
}

TEST(CameraView, UpNotOrthogonalToViewIsStraightened) {
  CameraGL c;
  c.up = {0, 0.6, 0.8};  // tilted toward the view direction
  ExpectVec(EyeSpace(c, {0, 0, 1}), {0, 1, 50});
}

TEST(CameraFit, BoxCentreAndSize) {
  CameraGL c;
  const double box[9] = {20, 0, 0, 0, 10, 0, 0, 0, 30};
  const double origin[3] = {1, 2, 3};
  c.up = {1, 0, 0};
  c.FitToData(box, origin);
  ExpectVec(c.target, {11, 7, 18});
  ExpectVec(c.eye, {11, 7 - 60, 18});
  ExpectVec(c.up, {0, 0, 1});
}

TEST(CameraFit, BoxlessDataAreATenCube) {
  CameraGL c;
  c.FitToData(nullptr, nullptr);
  ExpectVec(c.target, {5, 5, 5});
  ExpectVec(c.eye, {5, -15, 5});
  ExpectVec(c.up, {0, 0, 1});
}

TEST(CameraFit, FlatOrBrokenBoundsStillGiveAView) {
  CameraGL c;
  const double zero[9] = {};
  const double origin[3] = {3, 4, 5};
  c.FitToData(zero, origin);  // a frame whose file had no cell vectors
  ExpectVec(c.target, {3, 4, 5});
  EXPECT_GT(c.Distance(), 0);
  ExpectAllFinite(c);

  const double nanCentre[3] = {std::nan(""), 0, 0};
  c.FitToBounds(std::numeric_limits<double>::infinity(), nanCentre);
  ExpectVec(c.target, {5, 5, 5});
  ExpectVec(c.eye, {5, -15, 5});
}

TEST(CameraZoom, WheelNotchesAndPageKeys) {
  CameraGL c;
  c.Zoom(WheelZoomSteps(240));
  EXPECT_NEAR(c.Distance(), 50 / 1.2, kEps);
  c = CameraGL{};
  c.Zoom(WheelZoomSteps(-120));
  EXPECT_NEAR(c.Distance(), 55, kEps);
  c = CameraGL{};
  c.Zoom(-0.1);  // Page Up
  EXPECT_NEAR(c.Distance(), 50 * 1.01, kEps);
  ExpectVec(c.target, {0, 0, 0});
}

TEST(CameraZoom, HalfNotchesDoNothing) {
  for (int delta : {60, -60, 119, -119}) {
    CameraGL c;
    c.Zoom(WheelZoomSteps(delta));
    ExpectVec(c.eye, {0, -50, 0}, 0);
  }
}

TEST(CameraDrag, PanByTheFullHeightMovesTheVisibleHeight) {
  UICamera u;
  const double t = std::tan(u.camera.viewAngle);
  u.BeginDrag(100, 100);
  EXPECT_EQ(u.DragPan(100, 100 + 480, 640, 480), 1);
  // Dragging down moves the picture down: the target goes up by the visible height.
  ExpectVec(u.camera.target, {0, 0, 2 * t * 50});
  ExpectVec(u.camera.eye - u.camera.target, {0, -50, 0});
  // Moves are measured from the drag start, not accumulated.
  EXPECT_EQ(u.DragPan(100 + 480, 100, 640, 480), 1);
  ExpectVec(u.camera.target, {-2 * t * 50, 0, 0});
  EXPECT_EQ(u.DragPan(100 + 240, 100 + 240, 640, 480), 1);
  ExpectVec(u.camera.target, {-t * 50, 0, t * 50});
  ExpectVec(u.camera.up, {0, 0, 1});
}

TEST(CameraDrag, NoMovementOrNoClientAreaChangesNothing) {
  UICamera u;
  u.BeginDrag(10, 20);
  EXPECT_EQ(u.DragPan(10, 20, 640, 480), 0);
  EXPECT_EQ(u.DragRotate(10, 20, 640, 480), 0);
  EXPECT_EQ(u.DragPan(50, 60, 0, 0), 0);
  EXPECT_EQ(u.DragRotate(50, 60, 640, 0), 0);
  ExpectVec(u.camera.eye, {0, -50, 0}, 0);
}

TEST(CameraDrag, DragAcrossTheLargerDimensionTurnsHalfWay) {
  UICamera u;
  u.BeginDrag(0, 300);
  ASSERT_EQ(u.DragRotate(800, 300, 800, 600), 1);
  ExpectVec(u.camera.eye, {0, 50, 0});
  ExpectVec(u.camera.up, {0, 0, 1});

  // Vertically, in a window wider than tall, the same length also gives 180 degrees and
  // turns the up vector over.
  UICamera v;
  v.BeginDrag(400, 0);
  ASSERT_EQ(v.DragRotate(400, 800, 800, 600), 1);
  ExpectVec(v.camera.eye, {0, 50, 0});
  ExpectVec(v.camera.up, {0, 0, -1});

  // Half the length, a quarter turn about the up axis.
  UICamera w;
  w.BeginDrag(0, 300);
  ASSERT_EQ(w.DragRotate(400, 300, 800, 600), 1);
  ExpectVec(w.camera.eye, {-50, 0, 0});
  ExpectVec(w.camera.target, {0, 0, 0});
}

TEST(CameraKeys, OrbitAndShift) {
  CameraGL c;
  c.OrbitUp(kPi / 2);
  ExpectVec(c.eye, {50, 0, 0});
  ExpectVec(c.up, {0, 0, 1});

  c = CameraGL{};
  c.OrbitRight(kPi / 2);  // the eye rises over the target, up tips forward
  ExpectVec(c.eye, {0, 0, 50});
  ExpectVec(c.up, {0, 1, 0});

  c = CameraGL{};
  c.ShiftRight(0.2);
  ExpectVec(c.target, {0.2, 0, 0});
  ExpectVec(c.eye, {0.2, -50, 0});
  c.ShiftUp(-0.2);
  ExpectVec(c.target, {0.2, 0, -0.2});
  ExpectVec(c.eye, {0.2, -50, -0.2});
}

TEST(CameraOrientation, MatrixColumnsGiveUpAndView) {
  CameraGL c;
  c.target = {1, 2, 3};
  c.eye = {1, 2, 13};  // distance 10
  // Second column (0, 0, 1) becomes up, third (0, -1, 0) the eye direction.
  const double m[9] = {1, 0, 0, 0, 0, -1, 0, 1, 0};
  ASSERT_TRUE(c.ApplyOrientation(m));
  ExpectVec(c.up, {0, 0, 1});
  ExpectVec(c.eye, {1, -8, 3});

  const double zero[9] = {};
  const double nan[9] = {0, std::nan(""), 0, 0, 1, 0, 0, 0, 1};
  EXPECT_FALSE(c.ApplyOrientation(zero));
  EXPECT_FALSE(c.ApplyOrientation(nan));
  ExpectVec(c.eye, {1, -8, 3}, 0);
}

TEST(CameraSection, StepZeroPutsTheNearPlaneOnTheTarget) {
  CameraGL c;
  c.SetSectionStep(0);
  const double d = c.Distance();
  for (int mode : {kPerspective, kOrthographic}) {
    EXPECT_DOUBLE_EQ(c.NearPlane(mode, d), d);
    EXPECT_NEAR(NdcDepthGL(c.ProjectionGL(mode, 640, 480), d), -1, 1e-12);
    EXPECT_NEAR(NdcDepthDX(c.ProjectionDX(mode, 640, 480), d), 0, 1e-12);
  }
  c.SetSectionStep(4);
  EXPECT_DOUBLE_EQ(c.nearFactor, 1 - 4 / 40.0);
  c.SetSectionStep(-4);
  EXPECT_DOUBLE_EQ(c.nearFactor, 1.1);

  c.ResetClipping();
  EXPECT_EQ(c.sectionStep, -4);
  EXPECT_DOUBLE_EQ(c.nearFactor, 0.1);
  EXPECT_DOUBLE_EQ(c.farFactor, 10.0);
  c.MoveSectionToCentre();
  EXPECT_EQ(c.sectionStep, 0);
  EXPECT_DOUBLE_EQ(c.nearFactor, 1.0);
}

TEST(CameraProjection, FarPlanes) {
  CameraGL c;
  const double d = c.Distance();
  EXPECT_NEAR(NdcDepthGL(c.ProjectionGL(kOrthographic, 640, 480), d * 10), 1, 1e-12);
  EXPECT_NEAR(NdcDepthDX(c.ProjectionDX(kOrthographic, 640, 480), d * 10 / 5), 1, 1e-12);
  EXPECT_NEAR(NdcDepthGL(c.ProjectionGL(kPerspective, 640, 480), d * 10), 1, 1e-12);
  EXPECT_NEAR(NdcDepthDX(c.ProjectionDX(kPerspective, 640, 480), d * 10), 1, 1e-12);
  EXPECT_NEAR(NdcDepthGL(c.ProjectionGL(kPerspective, 640, 480), d * 0.1), -1, 1e-12);
  EXPECT_NEAR(NdcDepthDX(c.ProjectionDX(kOrthographic, 640, 480), d * 0.1), 0, 1e-12);
}

TEST(CameraProjection, WholeWindowMatchesFrustumAndOrtho) {
  CameraGL c;
  const double t = std::tan(c.viewAngle);
  const double n = 5, f = 500, hh = t * n, hw = hh * 640 / 480;
  ExpectMat(c.ProjectionGL(kPerspective, 640, 480),
            qv::cam::FrustumMatrix(-hw, hw, -hh, hh, n, f), 1e-12);
  const double ohh = t * 50, ohw = ohh * 640 / 480;
  ExpectMat(c.ProjectionGL(kOrthographic, 640, 480),
            qv::cam::OrthoMatrix(-ohw, ohw, -ohh, ohh, 5, 500), 1e-12);
  // A point on the top edge of the view at the target's depth.
  const auto top = qv::cam::Transform(
      qv::cam::Multiply(c.ProjectionGL(kPerspective, 640, 480), c.ViewMatrixGL()),
      {0, 0, t * 50});
  EXPECT_NEAR(top[1] / top[3], 1, 1e-12);
  // The Direct3D-role matrix keeps y up and the same edges.
  const auto dx = qv::cam::Transform(
      qv::cam::Multiply(c.ProjectionDX(kPerspective, 640, 480), c.ViewMatrix()),
      {t * 50 * 640 / 480, 0, t * 50});
  EXPECT_NEAR(dx[0] / dx[3], 1, 1e-12);
  EXPECT_NEAR(dx[1] / dx[3], 1, 1e-12);
}

namespace {

// The matrix that takes clip coordinates of the full image to those of the sub-rectangle
// (x, y, w, h); yFromTop for the Direct3D-role convention.
Mat4 SubRectangleMap(int fw, int fh, int x, int y, int w, int h, bool yFromTop) {
  Mat4 s{};
  s[0] = static_cast<double>(fw) / w;
  s[12] = static_cast<double>(fw) / w - 2.0 * x / w - 1;
  s[5] = static_cast<double>(fh) / h;
  s[13] = yFromTop ? 1 - static_cast<double>(fh) / h + 2.0 * y / h
                   : static_cast<double>(fh) / h - 2.0 * y / h - 1;
  s[10] = 1;
  s[15] = 1;
  return s;
}

}  // namespace

TEST(CameraProjection, TilesComposeToTheFullImage) {
  CameraGL c;
  c.eye = {3, -40, 7};
  c.up = {0.1, 0, 1};
  const int m = 3, w = 640, h = 480, fw = m * w, fh = m * h;
  const double d = c.Distance();
  for (int mode : {kPerspective, kOrthographic}) {
    const Mat4 fullGL = c.ProjectionGL(mode, fw, fh, 0, 0, fw, fh, d);
    const Mat4 fullDX = c.ProjectionDX(mode, fw, fh, 0, 0, fw, fh, d);
    for (int ty = 0; ty < m; ++ty) {
      for (int tx = 0; tx < m; ++tx) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " tile " << tx << "," << ty);
        ExpectMat(c.ProjectionGL(mode, fw, fh, tx * w, ty * h, w, h, d),
                  qv::cam::Multiply(SubRectangleMap(fw, fh, tx * w, ty * h, w, h, false), fullGL),
                  1e-9);
        ExpectMat(c.ProjectionDX(mode, fw, fh, tx * w, ty * h, w, h, d),
                  qv::cam::Multiply(SubRectangleMap(fw, fh, tx * w, ty * h, w, h, true), fullDX),
                  1e-9);
      }
    }
  }
}

TEST(CameraProjection, DegenerateRequestsGiveFiniteMatrices) {
  CameraGL c;
  for (int mode : {kPerspective, kOrthographic}) {
    for (double d : {0.0, -1.0, std::nan(""), 1e300, std::numeric_limits<double>::infinity()}) {
      EXPECT_TRUE(Finite(c.ProjectionGL(mode, 640, 480, 0, 0, 640, 480, d))) << d;
      EXPECT_TRUE(Finite(c.ProjectionDX(mode, 640, 480, 0, 0, 640, 480, d))) << d;
    }
    EXPECT_TRUE(Finite(c.ProjectionGL(mode, 0, 0, 0, 0, 0, 0, 50)));
    EXPECT_TRUE(Finite(c.ProjectionDX(mode, -5, 480, 3, 3, -1, 0, 50)));
  }
  // View angles outside (0, 90) degrees, and nonsense clip factors.
  for (double angle : {0.0, -0.3, kPi / 2, 2.0, std::nan("")}) {
    c.viewAngle = angle;
    ExpectAllFinite(c);
  }
  c = CameraGL{};
  for (int step : {40, 41, 400, -360, -400, -1000000}) {
    c.SetSectionStep(step);
    ExpectAllFinite(c);
    for (int mode : {kPerspective, kOrthographic}) {
      EXPECT_GT(c.FarPlane(mode, 50), c.NearPlane(mode, 50)) << step;
    }
    EXPECT_GT(c.NearPlane(kPerspective, 50), 0) << step;
  }
  c.farFactor = std::nan("");
  c.nearFactor = std::numeric_limits<double>::infinity();
  ExpectAllFinite(c);
}

TEST(CameraDegenerate, EyeOnTargetOrUpAlongTheView) {
  CameraGL c;
  c.eye = c.target;
  ExpectAllFinite(c);
  c.Zoom(1);
  c.OrbitUp(0.3);
  c.OrbitRight(0.3);
  c.ShiftRight(1);
  c.BeginDrag();
  c.DragPan(10, 10, 640, 480);
  c.DragRotate(10, 10, 640, 480);
  ExpectAllFinite(c);

  CameraGL u;
  u.up = {0, 1, 0};  // along the view
  ExpectAllFinite(u);
  Vec3 f, s, up;
  u.ViewBasis(f, s, up);
  EXPECT_NEAR(qv::cam::Dot(f, up), 0, kEps);
  EXPECT_NEAR(qv::cam::Length(s), 1, kEps);
  u.BeginDrag();
  EXPECT_EQ(u.DragRotate(40, 0, 640, 480), 1);
  u.OrbitRight(0.5);
  u.ShiftRight(2);
  ExpectAllFinite(u);

  CameraGL p;
  EXPECT_FALSE(p.Place({1, 1, 1}, {1, 1, 1}, {0, 1, 0}));
  EXPECT_FALSE(p.Place({0, 0, 3}, {0, 0, -7}, {0, 0, 0}));
  EXPECT_FALSE(p.Place({std::nanf(""), 0, 3}, {0, 0, -7}, {0, 1, 0}));
  ExpectVec(p.eye, {0, -50, 0}, 0);
  EXPECT_TRUE(p.Place({0, 0, 3}, {0, 0, -7}, {0, 2, 0}));
  ExpectVec(p.up, {0, 1, 0});

  CameraGL z;
  z.up = {0, 0, 0};
  z.OrbitUp(0.5);
  z.ShiftUp(1);
  ExpectAllFinite(z);
}

TEST(CameraDegenerate, ZoomThatWouldLoseTheDistanceIsRefused) {
  CameraGL c;
  c.Zoom(1e308);
  c.Zoom(-1e308);
  c.Zoom(std::nan(""));
  EXPECT_GT(c.Distance(), 0);
  ExpectAllFinite(c);
  for (int i = 0; i < 5000; ++i) c.Zoom(10);  // toward the target, far past any use
  EXPECT_GT(c.Distance(), 0);
  ExpectAllFinite(c);
}

TEST(CameraDegenerate, RandomOperationSequencesStayFinite) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> any(-1e3, 1e3);
  std::uniform_int_distribution<int> op(0, 10), pix(-5000, 5000), size(0, 3000);
  const double extremes[] = {0.0, 1e-300, -1e300, 1e300, std::nan(""),
                             std::numeric_limits<double>::infinity()};
  UICamera u;
  for (int i = 0; i < 20000; ++i) {
    const double v = (i % 7 == 0) ? extremes[i % 6] : any(rng);
    switch (op(rng)) {
      case 0: u.Zoom(v / 100); break;
      case 1: u.OrbitUp(v); break;
      case 2: u.OrbitRight(v); break;
      case 3: u.ShiftRight(v); break;
      case 4: u.ShiftUp(v); break;
      case 5: u.BeginDrag(pix(rng), pix(rng)); break;
      case 6: u.DragPan(pix(rng), pix(rng), size(rng), size(rng)); break;
      case 7: u.DragRotate(pix(rng), pix(rng), size(rng), size(rng)); break;
      case 8: u.SetSectionStep(pix(rng)); break;
      case 9: {
        const double m[9] = {v, any(rng), any(rng), any(rng), v, any(rng), any(rng), any(rng), v};
        u.ApplyOrientation(m);
        break;
      }
      default: {
        const double centre[3] = {v, any(rng), any(rng)};
        u.FitToBounds(any(rng), centre);
      }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectAllFinite(u.camera)) << "step " << i;
    ASSERT_GT(u.Distance(), 0);
  }
}

TEST(CameraPick, NearestAtomToTheRay) {
  CameraGL c;
  const float atoms[] = {
      0.1f, 10, 0,   // 0: 0.1 off the centre ray
      0, 20, 0.05f,  // 1: nearer to the ray, farther away
      0, -60, 0,     // 2: on the line, but behind the eye
  };
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, atoms, 3, 0.3), 1);
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, atoms, 1, 0.3), 0);
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, atoms, 1, 0.05), -1);  // outside the radius
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, atoms + 6, 1, 0.3), -1);
  EXPECT_EQ(c.PickAtom(320, 240, 0, 0, atoms, 3, 0.3), -1);
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, atoms, 0, 0.3), -1);

  // Equal distances: the lower index wins, whatever the depth.
  const float tie[] = {1, 0, 0, 0, 30, 0, 0, 5, 0};
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, tie, 3, 0.3), 1);

  // The right edge of the window at the target's depth.
  const double k = 50 * std::tan(c.viewAngle);
  const float edge[] = {static_cast<float>(640.0 / 480 * k), 0, 0, 0, 0, 0};
  EXPECT_EQ(c.PickAtom(640, 240, 640, 480, edge, 2, 0.01), 0);
  EXPECT_EQ(c.PickAtom(320, 240, 640, 480, edge, 2, 0.01), 1);
}

TEST(CameraLayout, FourDataSetsIn800x600) {
  const auto cells = LayoutViewCells(4, 800, 600);
  ASSERT_EQ(cells.size(), 4u);
  // Three columns, two rows; the first three on the top row.
  const int xs[] = {0, 266, 533, 0};
  const int ws[] = {266, 267, 267, 266};
  const int ys[] = {300, 300, 300, 0};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(cells[k].dataSet, k);
    EXPECT_EQ(cells[k].x, xs[k]) << k;
    EXPECT_EQ(cells[k].w, ws[k]) << k;
    EXPECT_EQ(cells[k].y, ys[k]) << k;
    EXPECT_EQ(cells[k].h, 300) << k;
  }
}

TEST(CameraLayout, OneDataSetFillsTheRegionAndEmptyRegionsHaveNoCells) {
  const auto one = LayoutViewCells(1, 640, 480);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].w, 640);
  EXPECT_EQ(one[0].h, 480);
  EXPECT_TRUE(LayoutViewCells(0, 640, 480).empty());
  EXPECT_TRUE(LayoutViewCells(3, 640, 0).empty());
  EXPECT_TRUE(LayoutViewCells(3, 0, 480).empty());
  // A tall region stacks the views.
  const auto tall = LayoutViewCells(3, 100, 1000);
  ASSERT_EQ(tall.size(), 3u);
  EXPECT_EQ(tall[0].y, 666);
  EXPECT_EQ(tall[2].y, 0);
  EXPECT_EQ(tall[2].w, 100);
}

TEST(CameraLayout, CellsClippedToTilesCoverEachCellOnceAndJoin) {
  CameraGL c;
  const int m = 2, tw = 800, th = 600, fw = m * tw, fh = m * th;
  const auto cells = LayoutViewCells(4, fw, fh);
  std::vector<long long> covered(cells.size(), 0);
  for (int ty = 0; ty < m; ++ty) {
    for (int tx = 0; tx < m; ++tx) {
      for (const TileCell& t : ClipCellsToTile(cells, tx * tw, ty * th, tw, th)) {
        const ViewCell& cell = cells[t.dataSet];
        EXPECT_GE(t.viewportX, 0);
        EXPECT_GE(t.viewportY, 0);
        EXPECT_LE(t.viewportX + t.viewportW, tw);
        EXPECT_LE(t.viewportY + t.viewportH, th);
        EXPECT_EQ(tx * tw + t.viewportX, cell.x + t.subX);
        EXPECT_EQ(ty * th + t.viewportY, cell.y + t.subY);
        covered[t.dataSet] += static_cast<long long>(t.viewportW) * t.viewportH;
        // The piece's projection is the cell's projection seen through the piece.
        for (int mode : {kPerspective, kOrthographic}) {
          const double d = c.Distance();
          ExpectMat(c.ProjectionGL(mode, t.cellW, t.cellH, t.subX, t.subY, t.viewportW,
                                   t.viewportH, d),
                    qv::cam::Multiply(SubRectangleMap(t.cellW, t.cellH, t.subX, t.subY,
                                                      t.viewportW, t.viewportH, false),
                                      c.ProjectionGL(mode, t.cellW, t.cellH, 0, 0, t.cellW,
                                                     t.cellH, d)),
                    1e-9);
          ExpectMat(c.ProjectionDX(mode, t.cellW, t.cellH, t.subX, t.SubYFromTop(),
                                   t.viewportW, t.viewportH, d),
                    qv::cam::Multiply(SubRectangleMap(t.cellW, t.cellH, t.subX, t.SubYFromTop(),
                                                      t.viewportW, t.viewportH, true),
                                      c.ProjectionDX(mode, t.cellW, t.cellH, 0, 0, t.cellW,
                                                     t.cellH, d)),
                    1e-9);
        }
      }
    }
  }
  for (size_t k = 0; k < cells.size(); ++k) {
    EXPECT_EQ(covered[k], static_cast<long long>(cells[k].w) * cells[k].h) << k;
  }
  // A tile that misses every cell yields nothing.
  EXPECT_TRUE(ClipCellsToTile(cells, fw, 0, tw, th).empty());
}

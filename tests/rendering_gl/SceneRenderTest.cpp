// Pixel checks of real renders.
#include <epoxy/gl.h>

#include "GLTestSupport.h"

using namespace qvgltest;

namespace {

DataSetList One(LawData e) {
  DataSetList l;
  l.Append(std::move(e));
  return l;
}

// Bounding rows/columns of the pixels that differ from the background.
struct Extent {
  int x0 = 1 << 30, x1 = -1, y0 = 1 << 30, y1 = -1;
  int Width() const { return x1 - x0 + 1; }
  int Height() const { return y1 - y0 + 1; }
};
Extent ExtentOf(const std::vector<Rgb>& p, int w, int h, int xFrom, int xTo) {
  Extent e;
  for (int y = 0; y < h; ++y) {
    for (int x = xFrom; x < xTo; ++x) {
      const Rgb c = p[size_t(y) * w + x];
      if (c.r + c.g + c.b > 24) {
        e.x0 = std::min(e.x0, x), e.x1 = std::max(e.x1, x);
        e.y0 = std::min(e.y0, y), e.y1 = std::max(e.y1, y);
      }
    }
  }
  return e;
}

DisplayValues NoBox() {
  DisplayValues d;
  d.box = 0;
  return d;
}

// What every back end must show.
class SceneRender : public BackEndFixture {};
QV_ON_EVERY_BACK_END(SceneRender);

// How the fixed-function back end batches and reuses its arrays.
class SceneRenderGL15 : public GLFixture {};

TEST_P(SceneRender, SingleAtomShowsItsElementColourLitFromAbove) {
  // One oxygen (red) at the centre of a 4-unit box, drawn large.
  auto c = MakeFrame(4, {{8, 2, 2, 2}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomRadius = 1.0;
  d.atomPoly = 12;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  const auto p = Read();
  const Rgb centre = At(p, 32, 32);
  EXPECT_GT(centre.r, 100);
  EXPECT_LT(centre.g, 20);
  EXPECT_LT(centre.b, 20);
  // The light comes from above in eye space: the upper half is brighter than the lower.
  const Extent e = ExtentOf(p, 64, 64, 0, 64);
  ASSERT_GT(e.Height(), 10);
  const Rgb top = At(p, 32, e.y1 - 2);
  const Rgb bottom = At(p, 32, e.y0 + 2);
  EXPECT_GT(top.r, bottom.r + 40) << "top " << top.r << " bottom " << bottom.r;
  // Screen space is symmetric left/right for a light straight above.
  EXPECT_NEAR(e.x0 + e.x1, 63, 2);
}

TEST_P(SceneRender, AlphaZeroAtomsAndTheirBondsVanish) {
  // Two chlorines joined by a bond across the middle of the picture.
  auto c = MakeFrame(4, {{17, 1, 2, 2}, {17, 3, 2, 2}}, {{0, 1, 2, 0, 0}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomRadius = 0.4;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  qv::ColorTables colors;
  SceneSettings s;
  s.colors = &colors;
  Draw(list, d, cam, s);
  auto p = Read();
  // The bond's middle, between the two spheres, is drawn.
  EXPECT_GT(At(p, 32, 32).g, 40);
  const int both = CountNot(p, {0, 0, 0});

  // Atom 1 hidden by a per-atom colour with alpha 0 (bond-count colour 6 is invisible).
  c->frames[0].bonds.counts[1] = 6;
  d.colorMode = 1;
  Draw(list, d, cam, s);
  p = Read();
  EXPECT_LT(At(p, 32, 32).r + At(p, 32, 32).g + At(p, 32, 32).b, 10) << "bond still drawn";
  const Extent left = ExtentOf(p, 64, 64, 0, 64);
  EXPECT_LT(left.x1, 32) << "hidden atom still drawn";
  EXPECT_GT(left.Width(), 3);

  // An element colour with alpha 0 hides every atom of that element.
  colors.element[17].a = 0;
  d.colorMode = 0;
  Draw(list, d, cam, s);
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), 0);
  EXPECT_GT(both, 0);
}

TEST_P(SceneRender, BoxLinesHaveTheBackgroundsComplement) {
  auto c = MakeFrame(4, {});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d;
  d.background = {0.2f, 0.4f, 0.6f, 1.0f};
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  auto p = Read();
  const Rgb bg{51, 102, 153};
  int lines = 0;
  for (const Rgb& px : p) {
    if (std::abs(px.r - 204) <= 2 && std::abs(px.g - 153) <= 2 && std::abs(px.b - 102) <= 2) ++lines;
  }
  EXPECT_GT(lines, 50);
  EXPECT_EQ(lines, CountNot(p, bg, 2)) << "every non-background pixel is a box line";

  // The same file read as xyz never shows its box.
  DataSetList xyz = One(MakeEntry(c, "xyz"));
  Draw(xyz, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  EXPECT_EQ(CountNot(Read(), bg, 2), 0);
  d.box = 0;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  EXPECT_EQ(CountNot(Read(), bg, 2), 0);
}

TEST_P(SceneRender, PerspectiveEnlargesNearAtomsOrthographicDoesNot) {
  // Two atoms side by side, the left one nearer to the eye (smaller y).
  auto c = MakeFrame(4, {{8, 1, 0.5f, 2}, {8, 3, 3.5f, 2}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomRadius = 0.5;
  d.atomPoly = 10;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  Draw(list, d, cam);
  auto p = Read();
  const Extent nearP = ExtentOf(p, 64, 64, 0, 32), farP = ExtentOf(p, 64, 64, 32, 64);
  EXPECT_GT(nearP.Width(), farP.Width() + 1);
  d.projection = 1;
  Draw(list, d, cam);
  p = Read();
  const Extent nearO = ExtentOf(p, 64, 64, 0, 32), farO = ExtentOf(p, 64, 64, 32, 64);
  EXPECT_NEAR(nearO.Width(), farO.Width(), 1);
  EXPECT_NEAR(nearO.Height(), farO.Height(), 1);
  // At the target's depth both projections show the same size.
  const int mid = (nearP.Width() + farP.Width()) / 2;
  EXPECT_NEAR(nearO.Width(), mid, 2);
}

TEST_P(SceneRender, PeriodicBondIsDrawnToTheImageOutsideTheBox) {
  // Atom 0 right of the centre, atom 1 left of it; their bond leaves through the right face
  // towards atom 1's image at x = 5, so nothing is drawn between the two atoms.
  auto c = MakeFrame(4, {{17, 3, 2, 2}, {17, 1, 2, 2}}, {{0, 1, 2, 0, 0}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomRadius = 0.4;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  const auto p = Read();
  // About 7.7 pixels per unit at the target: x = 2 at pixel 32, x = 3 at 39.7, x = 5 at 55.
  EXPECT_EQ(At(p, 32, 32).g, 0) << "drawn across the box";
  for (int x = 46; x <= 53; ++x) EXPECT_GT(At(p, x, 32).g, 20) << x;
  EXPECT_EQ(At(p, 58, 32).g, 0);
}

TEST_P(SceneRender, PointsAndAtomModeZero) {
  auto c = MakeFrame(4, {{8, 2, 2, 2}, {8, 1, 2, 1}}, {{0, 1, -1, 0, -1}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomStyle = 2;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  auto p = Read();
  const int points = CountNot(p, {0, 0, 0});
  EXPECT_GE(points, 4);
  EXPECT_LE(points, 16) << "points are 2 pixels and draw no bonds";
  d.atomStyle = 0;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), 0) << "atom mode 0 hides bonds too";
}

TEST_P(SceneRender, PointsFollowAnotherFrameReadIntoTheSameRecord) {
  auto c = MakeFrame(4, {{8, 1, 2, 2}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomStyle = 2;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  auto lit = [&] {
    std::vector<int> columns;
    const auto p = Read();
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(p, x, y).r > 20) columns.push_back(x);
    return columns;
  };
  Draw(list, d, cam);
  const std::vector<int> before = lit();
  ASSERT_FALSE(before.empty());
  c->frames[0].index = 7;  // a later frame, its atom moved, in the same memory
  c->frames[0].positions[0] = 3;
  Draw(list, d, cam);
  const std::vector<int> after = lit();
  ASSERT_FALSE(after.empty());
  EXPECT_GT(after.front(), before.back()) << "the point moved to the right";
}

TEST_P(SceneRender, AtomTraceIsALineThroughTheRecordedPositions) {
  auto c = MakeFrame(4, {});
  LawData e = MakeEntry(c);
  e.trace[0] = {0.5f, 2, 0.5f};
  e.trace[1] = {3.5f, 2, 3.5f};
  DataSetList list = One(std::move(e));
  DisplayValues d = NoBox();
  SceneSettings s;
  s.traceColor = {0, 1, 0};
  s.traceWidth = 1;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin), s);
  const auto p = Read();
  // The diagonal through the centre.
  EXPECT_GT(At(p, 32, 32).g + At(p, 31, 31).g + At(p, 32, 31).g + At(p, 31, 32).g, 200);
  EXPECT_GT(CountNot(p, {0, 0, 0}), 20);
}

TEST_F(SceneRenderGL15, SmallBudgetSplitsBatchesWithoutChangingThePicture) {
  std::vector<Atom> atoms;
  for (int k = 0; k < 30; ++k) atoms.push_back({k % 2 ? 8 : 17, 0.3f + 0.12f * k, 2, 0.3f + 0.1f * k});
  std::vector<BOND_ENTRY> bonds;
  for (int k = 0; k + 1 < 30; ++k) bonds.push_back({k, k + 1, 0.12f, 0, 0.1f});
  auto c = MakeFrame(4, atoms, bonds);
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.atomRadius = 0.2;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  Draw(list, d, cam);
  const auto whole = Read();
  EXPECT_EQ(GL15().Atoms().LastDrawCalls(), 2);  // one for the atoms, one for the bonds
  SceneSettings s;
  s.vramBytes = 4000;  // three spheres or a few bonds per batch
  Draw(list, d, cam, s);
  EXPECT_GT(GL15().Atoms().LastDrawCalls(), 10);
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), CountNot(whole, {0, 0, 0}));
  s.vramBytes = 0;  // a budget below one mesh still draws, one mesh per batch
  Draw(list, d, cam, s);
  EXPECT_EQ(GL15().Atoms().LastDrawCalls(), 30 + 29);
}

TEST_P(SceneRender, LowPolygonLevelsDrawNothingAndWriteNothingOutside) {
  auto c = MakeFrame(4, {{8, 1, 2, 2}, {8, 3, 2, 2}}, {{0, 1, 2, 0, 0}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  for (int level : {1, 0, -3}) {
    d.atomPoly = level;
    d.bondPoly = level;
    Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
    EXPECT_EQ(CountNot(Read(), {0, 0, 0}), 0) << level;
  }
  d.bondPoly = 1;  // one side: a degenerate line of a cylinder, nothing visible
  d.atomPoly = 2;
  Draw(list, d, FittedCamera(c->frames[0].box, c->frames[0].origin));
  EXPECT_GT(CountNot(Read(), {0, 0, 0}), 0);
}

TEST_F(SceneRenderGL15, MeshesAreRebuiltOnlyWhenTheirParametersChange) {
  auto c = MakeFrame(4, {{8, 2, 2, 2}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  Draw(list, d, cam);
  Draw(list, d, cam);
  AtomRendererGL& r = GL15().Atoms();
  EXPECT_EQ(r.SphereBuilds(), 1);
  EXPECT_EQ(r.CylinderBuilds(), 1);
  d.atomRadius = 0.6;  // spheres only; the cylinders keep their thickness
  Draw(list, d, cam);
  EXPECT_EQ(r.SphereBuilds(), 2);
  EXPECT_EQ(r.CylinderBuilds(), 1);
  EXPECT_FLOAT_EQ(r.Cylinder().positions[0], 0.25f * 0.3f);
  d.bondPoly = 5;
  Draw(list, d, cam);
  EXPECT_EQ(r.CylinderBuilds(), 2);
  EXPECT_FLOAT_EQ(r.Cylinder().positions[0], 0.25f * 0.6f);
  d.bondStyle = 0;
  Draw(list, d, cam);
  EXPECT_EQ(r.SphereBuilds(), 2);
  EXPECT_EQ(r.CylinderBuilds(), 3);
}

TEST_F(SceneRenderGL15, AtomArraysAreReusedOnlyWhileNothingChanged) {
  auto c = MakeFrame(4, {{8, 1, 2, 2}, {8, 3, 2, 2}}, {{0, 1, 2, 0, 0}});
  DataSetList list = One(MakeEntry(c));
  DisplayValues d = NoBox();
  d.bondStyle = 0;
  const SceneCamera cam = FittedCamera(c->frames[0].box, c->frames[0].origin);
  AtomRendererGL& r = GL15().Atoms();
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 1);
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 0);
  const auto before = Read();
  d.colorMode = 1;
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 1);
  c->frames[0].index = 5;  // another frame in the same record
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 1);
  r.Invalidate();
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 1);
  // With bonds the two share the arrays: both are filled every time.
  d.bondStyle = 1;
  Draw(list, d, cam);
  Draw(list, d, cam);
  EXPECT_EQ(r.LastFilledBatches(), 2);
  d.colorMode = 0;
  d.bondStyle = 0;
  Draw(list, d, cam);
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), CountNot(before, {0, 0, 0}));
}

TEST_P(SceneRender, SideBySideViewsPutEachDataSetInItsOwnCell) {
  // Two data sets in a 64 x 64 view: two columns (floor(sqrt(2)) + 1), one row.
  auto a = MakeFrame(4, {{8, 2, 2, 2}});
  auto b = MakeFrame(4, {{17, 2, 2, 2}});
  DataSetList list;
  list.Append(MakeEntry(a));
  list.Append(MakeEntry(b));
  DisplayValues d = NoBox();
  d.multiData = 1;
  const SceneCamera cam = FittedCamera(a->frames[0].box, a->frames[0].origin);
  Draw(list, d, cam);
  auto p = Read();
  EXPECT_GT(At(p, 16, 32).r, 60);
  EXPECT_EQ(At(p, 16, 32).g, 0);
  EXPECT_GT(At(p, 48, 32).g, 60);
  EXPECT_EQ(At(p, 48, 32).r, 0);
  // Superimposed: both at the centre, the later one drawn over at equal depth or the same.
  d.multiData = 0;
  Draw(list, d, cam);
  p = Read();
  EXPECT_GT(At(p, 32, 32).r + At(p, 32, 32).g, 60);
  EXPECT_EQ(At(p, 16, 32).r + At(p, 16, 32).g, 0);
}

}  // namespace

// What the scene plan says is drawn, and where, without any graphics API.
#include <gtest/gtest.h>

#include <memory>

#include "MemoryTrajectory.h"
#include "data/DataSetList.h"
#include "rendering/SceneGeometry.h"
#include "rendering/scene/ScenePlan.h"

using namespace qv::scene;

namespace {

class ScenePlanTest : public ::testing::Test {
 protected:
  void SetUp() override { SceneBuilders::Instance().Register(kTypeMD, BuildTrajectoryScene); }

  // A data set of one frame with two bonded atoms, named "/tmp/plan.<extension>".
  LawData Entry(const std::string& extension = "fa2") {
    auto c = std::make_shared<qvtest::MemoryTrajectory>(1);
    ATOMS_DATA& f = c->frames[0];
    f.Allocate(2);
    for (int k = 0; k < 9; ++k) f.box[k] = k % 4 == 0 ? 4.0 : 0.0;
    f.atomicNumbers[0] = 8;
    f.atomicNumbers[1] = 1;
    for (int k = 0; k < 6; ++k) f.positions[k] = 1.0f + k % 3;
    f.bonds.entries.resize(1);
    f.bonds.entries[0] = {0, 1, 1, 1, 1};
    f.bonds.counts.resize(2);
    f.bonds.counts[0] = f.bonds.counts[1] = 1;
    f.bonds.bondCount = 1;
    frames_.push_back(c);
    return qv::MakeEntry(kTypeMD, "/tmp/plan." + extension, c);
  }
  ScenePlan Plan(const DataSetList& list, const SceneTile& tile = SceneTile::Whole(64, 48),
                 SceneCache* cache = nullptr) {
    return BuildScene(list, display, {}, tile, ScenePurpose::kScreen, cache);
  }
  template <class T>
  static int Count(const SceneCell& cell) {
    int n = 0;
    for (const DrawItem& item : cell.items) n += std::holds_alternative<T>(item.what);
    return n;
  }

  DisplayValues display;
  std::vector<std::shared_ptr<qvtest::MemoryTrajectory>> frames_;
};

TEST_F(ScenePlanTest, FormatsWithoutABoxAndBoxOffGiveNoBoxItem) {
  for (const char* ext : {"fa2", "fad", "md3", "xyz", "md", "md2", "pdb"}) {
    DataSetList list;
    list.Append(Entry(ext));
    const bool boxed = std::string(ext) == "fa2" || std::string(ext) == "fad" ||
                       std::string(ext) == "md3";
    ScenePlan plan = Plan(list);
    ASSERT_EQ(plan.cells.size(), 1u);
    EXPECT_EQ(Count<BoxItem>(plan.cells[0]), boxed ? 1 : 0) << ext;
    EXPECT_EQ(Count<AtomsItem>(plan.cells[0]), 1) << ext;
    display.box = kBoxOff;
    EXPECT_EQ(Count<BoxItem>(Plan(list).cells[0]), 0) << ext;
    display.box = kBoxOn;
    // A cell the file itself gave (an extended xyz title) is drawn in every format.
    frames_.back()->frames[0].cellFromFile = true;
    EXPECT_EQ(Count<BoxItem>(Plan(list).cells[0]), 1) << ext;
  }
}

TEST_F(ScenePlanTest, AtomStyleChoosesSpheresWithBondsPointsOrNothing) {
  DataSetList list;
  list.Append(Entry());
  ScenePlan plan;  // the items point into the plan that made them
  const auto atoms = [&] {
    plan = Plan(list);
    for (const DrawItem& item : plan.cells[0].items)
      if (const auto* a = std::get_if<AtomsItem>(&item.what)) return *a;
    return AtomsItem{};
  };
  AtomsItem a = atoms();
  EXPECT_EQ(a.style, kAtomStylePolygons);
  EXPECT_TRUE(a.drawBonds);
  ASSERT_EQ(a.atomCount, 2u);
  // Oxygen's element colour, as a colour word of bytes r g b a.
  const qv::Rgba oxygen = qv::ColorTables{}.element[8];
  EXPECT_EQ(a.colors[0], qv::geo::PackColor(oxygen));
  display.bondStyle = kBondsOff;
  EXPECT_FALSE(atoms().drawBonds);
  display.atomStyle = kAtomStylePoints;
  display.bondStyle = kBondsOn;
  a = atoms();
  EXPECT_EQ(a.style, kAtomStylePoints);
  EXPECT_FALSE(a.drawBonds) << "points never show bonds";
  display.atomStyle = kAtomStyleNone;
  EXPECT_EQ(Count<AtomsItem>(Plan(list).cells[0]), 0);
  EXPECT_EQ(Count<BoxItem>(Plan(list).cells[0]), 1) << "the box stays without atoms";
}

TEST_F(ScenePlanTest, SideBySideCellsFollowTheLayoutAndTheTile) {
  DataSetList list;
  list.Append(Entry());
  list.Append(Entry());
  // 64 x 48 for two data sets: two columns of 32.
  ScenePlan plan = Plan(list);
  ASSERT_EQ(plan.cells.size(), 2u);
  for (int k = 0; k < 2; ++k) {
    const SceneCell& c = plan.cells[k];
    EXPECT_EQ(c.dataSet, k);
    EXPECT_EQ(c.viewportX, 32 * k);
    EXPECT_EQ(c.viewportW, 32);
    EXPECT_EQ(c.cellW, 32);
    for (const DrawItem& item : c.items) EXPECT_EQ(item.dataSet, k);
    EXPECT_EQ(Count<AtomsItem>(c), 1);
  }
  // A tile of the left half of a picture twice as large misses the second cell: no item.
  plan = Plan(list, SceneTile{128, 96, 0, 0, 64, 96});
  ASSERT_EQ(plan.cells.size(), 1u);
  EXPECT_EQ(plan.cells[0].dataSet, 0);
  EXPECT_EQ(plan.ItemCount(), plan.cells[0].items.size());
  // Overlaid: one cell with both data sets in list order.
  display.multiData = kLayoutOverlaid;
  plan = Plan(list);
  ASSERT_EQ(plan.cells.size(), 1u);
  EXPECT_EQ(plan.cells[0].dataSet, -1);
  EXPECT_EQ(Count<AtomsItem>(plan.cells[0]), 2);
  EXPECT_EQ(plan.cells[0].items.back().dataSet, 1);
  // An empty tile plans nothing.
  EXPECT_TRUE(Plan(list, SceneTile::Whole(0, 48)).cells.empty());
}

TEST_F(ScenePlanTest, ImagesNeverCarryTheOverlayAndTheTraceIsAPolyline) {
  DataSetList list;
  LawData e = Entry();
  e.trace[0] = {0, 0, 0};
  e.trace[3] = {1, 2, 3};
  list.Append(e);
  const std::vector<OverlayItem> overlay(2);
  EXPECT_EQ(BuildScene(list, display, {}, SceneTile::Whole(64, 48), ScenePurpose::kScreen,
                       nullptr, &overlay).overlay.size(), 2u);
  const ScenePlan plan = BuildScene(list, display, {}, SceneTile::Whole(64, 48),
                                    ScenePurpose::kImage, nullptr, &overlay);
  EXPECT_TRUE(plan.overlay.empty());
  const auto* trace = std::get_if<PolylineItem>(&plan.cells[0].items.back().what);
  ASSERT_NE(trace, nullptr);
  EXPECT_EQ(trace->points, (std::vector<float>{0, 0, 0, 1, 2, 3}));
}

TEST_F(ScenePlanTest, CachedColoursAreKeptUntilWhatTheyAreMadeFromChanges) {
  DataSetList list;
  list.Append(Entry());
  SceneCache cache;
  const AtomsItem first = std::get<AtomsItem>(Plan(list, SceneTile::Whole(8, 8), &cache).cells[0].items[0].what);
  const AtomsItem again = std::get<AtomsItem>(Plan(list, SceneTile::Whole(8, 8), &cache).cells[0].items[0].what);
  EXPECT_EQ(again.colors, first.colors);
  EXPECT_TRUE(again.key == first.key);
  // Bonds determined again (pressure colours rewritten the same way) change the key.
  ATOMS_DATA& f = frames_[0]->frames[0];
  f.bonds.counts[0] = 6;  // an invisible bond-count colour
  ++f.bonds.revision;
  display.colorMode = qv::kColorByBondCount;
  const AtomsItem recoloured =
      std::get<AtomsItem>(Plan(list, SceneTile::Whole(8, 8), &cache).cells[0].items[0].what);
  EXPECT_FALSE(recoloured.key == first.key);
  EXPECT_EQ(recoloured.colors[0] >> 24, 0u) << "six bonds hide the atom";
}

}  // namespace

// Spheres of a back end that cannot show pressure get the element colours in pressure mode
// and tell the notice, which passes it on once per arming; points keep the pressure colours.
TEST_F(ScenePlanTest, SpheresWithoutPressureColoursTakeElementColoursAndTellOnce) {
  DataSetList list;
  list.Append(Entry());
  qv::PressureNotice notice;
  SceneSettings settings;
  settings.spheresShowPressure = false;
  settings.pressureNotice = &notice;
  display.colorMode = qv::kColorByPressure;
  const auto colourMode = [&](int style) {
    display.atomStyle = style;
    const ScenePlan plan = BuildScene(list, display, settings, SceneTile::Whole(64, 48));
    for (const DrawItem& item : plan.cells[0].items)
      if (const auto* a = std::get_if<AtomsItem>(&item.what)) return a->key.colorMode * 10 + a->colorMode;
    return -1;
  };
  EXPECT_EQ(colourMode(kAtomStylePoints), 22);
  EXPECT_FALSE(notice.TakePending());
  EXPECT_EQ(colourMode(kAtomStylePolygons), 0);  // starts armed: the settings may choose pressure
  EXPECT_TRUE(notice.TakePending());
  colourMode(kAtomStylePolygons);
  EXPECT_FALSE(notice.TakePending());  // every later picture stays quiet
  notice.Arm();
  colourMode(kAtomStylePolygons);
  colourMode(kAtomStylePolygons);
  EXPECT_TRUE(notice.TakePending());
  EXPECT_FALSE(notice.TakePending());
  settings.spheresShowPressure = true;
  notice.Arm();
  EXPECT_EQ(colourMode(kAtomStylePolygons), 22);
  EXPECT_FALSE(notice.TakePending());
}

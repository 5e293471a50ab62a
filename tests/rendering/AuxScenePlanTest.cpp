// The scene plans of scattering paths and scalar fields: what is drawn, from which arrays.
#include <gtest/gtest.h>

#include <memory>

#include "auxdata/field/Field3DLoader.h"
#include "auxdata/scattering/BCALoader.h"
#include "data/DataSetList.h"
#include "data/text/LineReader.h"
#include "rendering/scene/FieldScene.h"
#include "rendering/scene/ScatteringScene.h"

using namespace qv::scene;

namespace {

class AuxScenePlan : public ::testing::Test {
 protected:
  void SetUp() override {
    SceneBuilders::Instance().Register(kTypeScattering, BuildScatteringScene);
    SceneBuilders::Instance().Register(kTypeScalarField, BuildFieldScene);
  }
  ScenePlan Plan(const LawData& e, const SceneSettings& settings = {}) {
    DataSetList list;
    list.Append(e);
    return BuildScene(list, display, settings, SceneTile::Whole(64, 48));
  }
  DisplayValues display;
};

TEST_F(AuxScenePlan, PathsPointIntoTheDataSetAndFollowTheStep) {
  auto b = std::make_shared<BCALoader>();
  qv::LineReader lines;
  lines.OpenMemory("BOX 4 0 0 0 4 0 0 0 4 0 0 0\n0 0 0 0\n1 1 1 1\n2 2 2 2\n\n");
  ASSERT_TRUE(b->Read(lines, "p.traj"));
  const LawData e = qv::MakeEntry(kTypeScattering, "/tmp/p.traj", b);
  SceneSettings s;
  s.traceColor = {0, 1, 0};
  s.traceWidth = 2.5f;
  ScenePlan plan = Plan(e, s);
  ASSERT_EQ(plan.cells.size(), 1u);
  ASSERT_EQ(plan.cells[0].items.size(), 2u);
  const auto* paths = std::get_if<PathsItem>(&plan.cells[0].items[0].what);
  ASSERT_NE(paths, nullptr);
  EXPECT_EQ(paths->points, b->Points().data()) << "no copy of the points";
  EXPECT_EQ(paths->pointCount, 1);
  EXPECT_EQ(paths->color[1], 1.0f);
  EXPECT_EQ(paths->width, 2.5f);
  EXPECT_TRUE(std::holds_alternative<BoxItem>(plan.cells[0].items[1].what));
  const uint64_t revision = paths->revision;

  b->SetCurrentStep(1);
  display.box = 0;
  plan = Plan(e, s);
  ASSERT_EQ(plan.cells[0].items.size(), 1u) << "the box hidden";
  paths = std::get_if<PathsItem>(&plan.cells[0].items[0].what);
  ASSERT_NE(paths, nullptr);
  EXPECT_EQ(paths->pointCount, 2);
  EXPECT_NE(paths->revision, revision) << "a drawer keeping arrays must see the change";
}

TEST_F(AuxScenePlan, FieldCellsOfTheCurrentFrameAfterItsBox) {
  auto f = std::make_shared<Field3DLoader>();
  for (int n = 1; n <= 2; ++n) {
    auto frame = std::make_unique<FieldFrame>();
    frame->nx = frame->ny = frame->nz = n;
    frame->cells.assign(4u * n * n * n, 200);
    frame->box[0] = frame->box[4] = frame->box[8] = n;
    f->AddFrame(std::move(frame));
  }
  const LawData e = qv::MakeEntry(kTypeScalarField, "/tmp/f.bif", f);
  f->SetFrame(1);
  const ScenePlan plan = Plan(e);
  ASSERT_EQ(plan.cells[0].items.size(), 2u);
  const auto* box = std::get_if<BoxItem>(&plan.cells[0].items[0].what);
  ASSERT_NE(box, nullptr) << "the opaque box before the translucent cells";
  EXPECT_EQ(box->b[1], 2.0f);
  const auto* cells = std::get_if<FieldCellsItem>(&plan.cells[0].items[1].what);
  ASSERT_NE(cells, nullptr);
  EXPECT_EQ(cells->frame, &f->Frame(1));
}

}  // namespace

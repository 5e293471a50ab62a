#include "app/EpsCommand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "MemoryTrajectory.h"
#include "TestSupport.h"

namespace {

LawData Entry(int32_t type, const std::string& path, std::shared_ptr<IDataContainer> c) {
  LawData e;
  e.type = type;
  e.path = path;
  e.container = std::move(c);
  return e;
}

std::shared_ptr<qvtest::MemoryTrajectory> Trajectory() {
  auto c = std::make_shared<qvtest::MemoryTrajectory>(1);
  ATOMS_DATA& f = c->frames[0];
  f.Allocate(2);
  const float pos[6] = {11, 7, 18, 12, 7, 18};
  std::copy(pos, pos + 6, f.positions.begin());
  f.atomicNumbers[0] = 8;
  f.atomicNumbers[1] = 1;
  const double box[9] = {20, 0, 0, 0, 10, 0, 0, 0, 30};
  std::copy(box, box + 9, f.box);
  f.origin[0] = 1;
  f.origin[1] = 2;
  f.origin[2] = 3;
  return c;
}

}  // namespace

TEST(AppCamera, FitsToTheFirstDataSet) {
  Quivane app;
  app.settings.viewAngleRadians = 0.3;
  app.FitCameraToData();  // nothing loaded: the camera stays where it was
  EXPECT_EQ(app.camera.camera.eye.y, -50);

  app.dataSets.Append(Entry(kTypeMD, "/tmp/run.fa2", Trajectory()));
  app.dataSets.Append(Entry(0, "/tmp/other.xyz", nullptr));
  app.FitCameraToData();
  EXPECT_DOUBLE_EQ(app.camera.camera.viewAngle, 0.3);
  // The first data set's box (20 x 10 x 30 at (1, 2, 3)), not the box-less second one.
  EXPECT_DOUBLE_EQ(app.camera.camera.target.z, 18);
  EXPECT_DOUBLE_EQ(app.camera.camera.eye.y, 7 - 60);
}

TEST(AppCamera, BoxlessFirstDataSetCountsAsTenCube) {
  Quivane app;
  app.camera.camera.up = {1, 0, 0};
  app.dataSets.Append(Entry(0, "/tmp/unknown.dat", nullptr));
  app.FitCameraToData();
  const auto& c = app.camera.camera;
  EXPECT_DOUBLE_EQ(c.target.x, 5);
  EXPECT_DOUBLE_EQ(c.target.y, 5);
  EXPECT_DOUBLE_EQ(c.target.z, 5);
  EXPECT_DOUBLE_EQ(c.eye.x, 5);
  EXPECT_DOUBLE_EQ(c.eye.y, -15);
  EXPECT_DOUBLE_EQ(c.eye.z, 5);
  EXPECT_DOUBLE_EQ(c.up.z, 1);
}

TEST(AppEps, OnlyForATrajectoryFirst) {
  qvtest::TempDir dir;
  Quivane app;
  app.drawWidth = 640;
  app.drawHeight = 480;
  EXPECT_EQ(WriteEpsCommand(app), kEpsNotApplicable);
  app.dataSets.Append(Entry(0, dir.File("field.cube"), nullptr));
  app.dataSets.Append(Entry(kTypeMD, dir.File("run.fa2"), Trajectory()));
  EXPECT_EQ(WriteEpsCommand(app), kEpsNotApplicable);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(AppEps, WritesTheCurrentFrameBesideTheDataFile) {
  qvtest::TempDir dir;
  Quivane app;
  app.dataSets.Append(Entry(kTypeMD, dir.File("run.v2.fa2"), Trajectory()));
  app.FitCameraToData();
  app.currentFrame = 12;
  app.drawWidth = 800;
  app.drawHeight = 400;
  app.options.values.projection = kOrthographic;
  app.settings.epsAtomSize = 0.5;
  std::string path;
  ASSERT_EQ(WriteEpsCommand(app, &path), kEpsOk);
  EXPECT_EQ(path, dir.File("run.v212.eps"));
  const std::string text = qvtest::ReadText(path);
  EXPECT_NE(text.find("%%BoundingBox: 0 0 200 100\r\n"), std::string::npos);
  // Orthographic discs of AtomSize x 100, the oxygen at the view centre.
  EXPECT_NE(text.find(" 100.000   50.000   50.000    0.000  360.000 arc\r\n"), std::string::npos)
      << text;

  app.drawWidth = 0;  // no client area yet
  EXPECT_EQ(WriteEpsCommand(app), kEpsEmptyView);
}

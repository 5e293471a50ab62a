#include "app/StlCommands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "MemoryTrajectory.h"
#include "TestSupport.h"
#include "output/StlWriter.h"

namespace {

class StlCommand : public ::testing::Test {
 protected:
  void Add(int32_t type, const std::string& name, int atoms) {
    auto c = std::make_shared<qvtest::MemoryTrajectory>(1);
    ATOMS_DATA& f = c->frames[0];
    f.Allocate(atoms);
    for (int i = 0; i < 3 * atoms; ++i) f.positions[i] = 2.0f + i;
    const double box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
    std::copy(box, box + 9, f.box);
    container = c;
    LawData entry;
    entry.type = type;
    entry.path = dir.File(name);
    entry.container = c;
    app.dataSets.Append(entry);
  }

  qvtest::TempDir dir;
  Quivane app;
  std::shared_ptr<qvtest::MemoryTrajectory> container;
};

TEST_F(StlCommand, WritesBesideTheDataFileWithTheFrameNumber) {
  Add(kTypeMD, "run.v2.fa2", 2);
  app.currentFrame = 12;
  std::string written;
  EXPECT_EQ(WriteStlCommand(app, false, &written), 2);
  EXPECT_EQ(written, dir.File("run.v2_12.stl"));
  EXPECT_EQ(qvtest::ReadFile(written).size(), 84u + 50u * 2 * 48);
  // The grid command writes the same name over it.
  EXPECT_EQ(WriteStlCommand(app, true), 2);
  const auto bytes = qvtest::ReadFile(written);
  ASSERT_GE(bytes.size(), 84u);
  uint32_t count = 0;
  std::memcpy(&count, bytes.data() + 80, 4);
  EXPECT_GT(count, 0u);
  EXPECT_NE(count, 96u);
  EXPECT_EQ(bytes.size(), 84u + 50u * count);
}

TEST_F(StlCommand, UsesTheOutputSettings) {
  Add(kTypeMD, "s.fa2", 1);
  app.settings.stlAtomPoly = 2;
  std::string written;
  EXPECT_EQ(WriteStlCommand(app, false, &written), 1);
  EXPECT_EQ(qvtest::ReadFile(written).size(), 84u + 50u * 8);
  app.settings.stlGridWidth = 0;
  std::filesystem::remove(written);
  EXPECT_EQ(WriteStlCommand(app, true), qv::kStlBadParameter);
  EXPECT_FALSE(std::filesystem::exists(written));
}

TEST_F(StlCommand, DoesNothingWithoutATrajectoryFirst) {
  EXPECT_EQ(WriteStlCommand(app, false), qv::kStlNoData);
  Add(kTypeScalarField, "field.cube", 3);
  Add(kTypeMD, "later.fa2", 3);
  EXPECT_EQ(WriteStlCommand(app, true), qv::kStlNoData);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(StlCommand, FrameShorterThanItsCountIsNotReadPastItsEnd) {
  Add(kTypeMD, "short.fa2", 4);
  container->frames[0].positions.resize(6);  // only two atoms' positions arrived
  EXPECT_EQ(WriteStlCommand(app, false), 2);
  EXPECT_EQ(WriteStlCommand(app, true), 2);
}

TEST_F(StlCommand, UnopenableFileIsSkippedSilently) {
  Add(kTypeMD, "gone/run.fa2", 1);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(WriteStlCommand(app, false), qv::kStlOpenFailed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace

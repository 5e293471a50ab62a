// The data-type table the application registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/DataTypes.h"
#include "data/DataTypeRegistry.h"
#include "rendering/scene/ScenePlan.h"

namespace {

TEST(DataTypeRegistry, EveryTypeCodeHasRowsAndADrawing) {
  qv::RegisterDataTypes();
  qv::RegisterDataTypes();  // a second call changes nothing
  const DataTypeRegistry& r = DataTypeRegistry::Instance();
  for (int32_t type = kTypeMD; type <= kTypeParticleEvents; ++type) {
    EXPECT_NE(r.ForType(type), nullptr) << "type " << type;
    EXPECT_NE(qv::scene::SceneBuilders::Instance().Find(type), nullptr) << type;
  }
  // Extensions are exact and case-sensitive; a path without a '.' has none.
  EXPECT_NE(r.Find("fa2"), nullptr);
  EXPECT_EQ(r.Find("FA2"), nullptr);
  EXPECT_EQ(r.FindForPath("/data.fa2/run"), nullptr);
  EXPECT_EQ(r.FindForPath("/data/run.md")->format, kTrajXyz);
  EXPECT_FALSE(r.Find("pdb")->hasBox);
  EXPECT_TRUE(r.Find("md3")->hasBox);
  const std::vector<std::string> all = r.Extensions();
  for (const char* e : {"fa2", "fad", "md3", "pdb", "xyz", "md", "md2", "lammpstrj", "dump",
                        "lmc", "krb", "vmec", "pmd", "pmx", "mqo", "wrl"})
    EXPECT_EQ(std::count(all.begin(), all.end(), e), 1) << e;
  const std::pair<const char*, int32_t> auxiliary[] = {
      {"txt", kTypeScattering}, {"traj", kTypeScattering}, {"cube", kTypeScalarField},
      {"bif", kTypeScalarField}, {"spk", kTypeMD}};
  for (auto [e, type] : auxiliary) {
    ASSERT_NE(r.Find(e), nullptr) << e;
    EXPECT_EQ(r.Find(e)->type, type) << e;
  }
}

TEST(DataTypeRegistry, ASecondRowForAnExtensionIsRefused) {
  DataTypeRegistry r;
  qv::RegisterTrajectoryTypes(r);
  const size_t rows = r.Rows().size();
  DataTypeRow row;
  row.type = kTypeScattering;
  row.open = [](const OpenRequest&) -> std::shared_ptr<IDataContainer> { return nullptr; };
  row.extensions = {"traj", "xyz"};
  EXPECT_FALSE(r.Add(row)) << "xyz belongs to the trajectories";
  row.extensions = {"traj", "traj"};
  EXPECT_FALSE(r.Add(row));
  row.extensions = {};
  EXPECT_FALSE(r.Add(row));
  row.extensions = {"traj"};
  row.open = nullptr;
  EXPECT_FALSE(r.Add(row)) << "a row that opens nothing";
  EXPECT_EQ(r.Rows().size(), rows);
  EXPECT_EQ(r.Find("xyz")->type, kTypeMD);
  qv::RegisterTrajectoryTypes(r);
  EXPECT_EQ(r.Rows().size(), rows) << "registering again adds nothing";
}

}  // namespace

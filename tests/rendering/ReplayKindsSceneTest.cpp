// What the scenes of lattice, particle event and gridded point data hold, without GL.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "auxdata/krb/KRB_Reader.h"
#include "auxdata/lmc/LMC_Holder.h"
#include "data/DataSetList.h"
#include "rendering/Coloring.h"
#include "rendering/scene/GridPointsScene.h"
#include "rendering/scene/LatticeScene.h"
#include "rendering/scene/ParticleEventsScene.h"
#include "auxdata/vmec/VMEC_Repository.h"
#include "TestSupport.h"

using namespace qv::scene;

namespace {

template <class T>
std::vector<const T*> Items(const ScenePlan& plan) {
  std::vector<const T*> out;
  for (const SceneCell& c : plan.cells) {
    for (const DrawItem& i : c.items) {
      if (const T* t = std::get_if<T>(&i.what)) out.push_back(t);
    }
  }
  return out;
}

ScenePlan Plan(const DataSetList& list, const DisplayValues& display, const SceneSettings& settings = {}) {
  return BuildScene(list, display, settings, SceneTile::Whole(64, 48));
}

TEST(ReplayKindsScene, LatticePointsSitApartInTheirCellsInSpeciesColours) {
  SceneBuilders::Instance().Register(kTypeLattice, BuildLatticeScene);
  auto h = std::make_shared<LMC_Holder>();
  // Two cells along x of a skewed box; cell 1 holds both species, cell 0 none.
  ASSERT_EQ(h->LoadMemory("ELEMENTS O Qq\nGRID 2 1 1\nBOX 4 0 0 1 2 0 0 0 2\nINIT\nINIT O 1 Qq 2\n"
                          "STEP 1\nEVENT 1 0 0 O -1\n"),
            kLmcLoaded);
  DataSetList list;
  list.Append(qv::MakeEntry(kTypeLattice, "/tmp/a.lmc", h));
  DisplayValues d;
  ScenePlan plan = Plan(list, d);
  ASSERT_EQ(Items<LatticeItem>(plan).size(), 1u);
  EXPECT_EQ(Items<BoxItem>(plan).size(), 1u);
  const LatticeItem item = *Items<LatticeItem>(plan)[0];
  const qv::ColorTables tables;
  EXPECT_EQ(item.speciesColors[0], static_cast<uint32_t>(qv::PackColor(tables.Element(8))));
  EXPECT_NE(item.speciesColors[1], item.speciesColors[0]);
  qv::PodVector<float> xyz;
  qv::PodVector<uint32_t> colors;
  FillLatticePoints(item, xyz, colors);
  ASSERT_EQ(colors.size(), 2u);
  // Species s of cell (1, 0, 0) at fractions ((1 + t) / 2, t, t), t = (s + 1) / 3.
  for (int s = 0; s < 2; ++s) {
    const double t = (s + 1) / 3.0, fx = (1 + t) / 2;
    EXPECT_FLOAT_EQ(xyz[3 * s], static_cast<float>(4 * fx + 1 * t));
    EXPECT_FLOAT_EQ(xyz[3 * s + 1], static_cast<float>(2 * t));
    EXPECT_FLOAT_EQ(xyz[3 * s + 2], static_cast<float>(2 * t));
    EXPECT_EQ(colors[s], item.speciesColors[s]);
  }
  const LatticeKey before = item.key;
  h->SetFrame(1);
  d.box = kBoxOff;
  plan = Plan(list, d);
  EXPECT_TRUE(Items<BoxItem>(plan).empty());
  EXPECT_FALSE(Items<LatticeItem>(plan)[0]->key == before) << "a step changes the key";
  FillLatticePoints(*Items<LatticeItem>(plan)[0], xyz, colors);
  EXPECT_EQ(colors.size(), 1u);
}

TEST(ReplayKindsScene, ParticleEventsFollowTheVisibleRecordsAndTheTrailSetting) {
  SceneBuilders::Instance().Register(kTypeParticleEvents, BuildParticleEventsScene);
  auto k = std::make_shared<KRB_Reader>();
  ASSERT_EQ(k->ReadMemory("BOX 10 0 0 0 10 0 0 0 10 0 0 0\n0 X O 1 1 1 1\n1 X O 1 2 1 1\n2 X H 2 5 5 5\n"
                          "3 X O 1 3 1 1\n"),
            kKrbRead);
  DataSetList list;
  list.Append(qv::MakeEntry(kTypeParticleEvents, "/tmp/a.krb", k));
  SceneSettings settings;
  settings.historyFrame = 1;
  DisplayValues d;
  k->SetFrame(3);
  ScenePlan plan = Plan(list, d, settings);
  ASSERT_EQ(Items<ParticleEventsItem>(plan).size(), 1u);
  const ParticleEventsItem item = *Items<ParticleEventsItem>(plan)[0];
  EXPECT_EQ(item.trail, 1);
  ParticleEventsArrays arrays;
  FillParticleEvents(item, arrays);
  EXPECT_EQ(arrays.particles.atomCount, 2);
  EXPECT_EQ(arrays.segments.size(), 6u) << "only the last record's move with a trail of one";
  const AtomsItem atoms = ParticleEventsAtoms(item, arrays);
  EXPECT_EQ(atoms.atomCount, 2u);
  EXPECT_FALSE(atoms.drawBonds);
  k->SetFrame(2);
  EXPECT_FALSE(Items<ParticleEventsItem>(Plan(list, d, settings))[0]->key == item.key);
  d.atomStyle = kAtomStyleNone;
  EXPECT_TRUE(Items<ParticleEventsItem>(Plan(list, d, settings)).empty());
}

void WriteValues(const std::string& path, const std::vector<float>& v) {
  std::vector<unsigned char> b;
  const auto put = [&](uint32_t u) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<unsigned char>(u >> s));
  };
  put(static_cast<uint32_t>(4 * v.size()));
  for (float f : v) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    put(u);
  }
  qvtest::WriteFile(path, b);
}

TEST(ReplayKindsScene, GridPointColoursRunThroughTheRampAndCombineQuantities) {
  qvtest::TempDir dir;
  for (const char* f : {"x", "y", "z"}) WriteValues(dir.File(f), {0, 1, 2, 3});
  WriteValues(dir.File("a"), {0, 0.5f, 1, NAN});
  WriteValues(dir.File("b"), {1, 0, 7, 0});
  const std::string head = "grids 4 1 1 1\nCoordinate.X x\nCoordinate.Y y\nCoordinate.Z z\n"
                           "Color.1.Range 0 1\nColor.2.Range 0 1\nColor.Alpha 0.5\n"
                           "DATA.1.Begin\na\nDATA.1.End\nDATA.2.Begin\nb\nDATA.2.End\n";
  const auto colors = [&](int quantities) {
    qvtest::WriteText(dir.File("h.vmec"), head + "DATA.Species " + std::to_string(quantities) + "\n");
    VMEC_Repository v;
    EXPECT_EQ(v.Load(dir.File("h.vmec")), kVmecLoaded);
    qv::PodVector<uint32_t> words;
    FillGridPointColors(v, words);
    std::vector<qv::Rgba> out;
    for (uint32_t w : words) out.push_back(qv::UnpackColor(static_cast<int32_t>(w)));
    return out;
  };
  // One quantity: blue at the low bound, green half way, red at the top; no number is low.
  EXPECT_EQ(colors(1), (std::vector<qv::Rgba>{{0, 0, 255, 128}, {0, 255, 0, 128}, {255, 0, 0, 128}, {0, 0, 255, 128}}));
  // Two: red and green, clamped to the bounds.
  EXPECT_EQ(colors(2), (std::vector<qv::Rgba>{{0, 255, 0, 128}, {128, 0, 0, 128}, {255, 255, 0, 128}, {0, 0, 0, 128}}));
}

}  // namespace

// Pixel checks of the lattice, particle event and gridded point data on every back end.
#include <epoxy/gl.h>

#include <cstring>

#include "GLTestSupport.h"
#include "TestSupport.h"
#include "auxdata/krb/KRB_Reader.h"
#include "auxdata/lmc/LMC_Holder.h"
#include "auxdata/vmec/VMEC_Repository.h"

using namespace qvgltest;

namespace {

class AuxDataRender : public BackEndFixture {
 protected:
  DataSetList One(int32_t type, const std::string& path, std::shared_ptr<IDataContainer> c) {
    DataSetList list;
    list.Append(qv::MakeEntry(type, path, std::move(c)));
    return list;
  }
  void DrawFitted(const DataSetList& list, const DisplayValues& d) {
    double box[9], origin[3];
    ASSERT_TRUE(list[0].GetBox(box, origin));
    Draw(list, d, FittedCamera(box, origin));
  }
  static DisplayValues NoBox() {
    DisplayValues d;
    d.box = 0;
    d.atomRadius = 1.0;
    d.atomPoly = 12;
    return d;
  }
};
QV_ON_EVERY_BACK_END(AuxDataRender);

bool Reddish(Rgb c) { return c.r > 100 && c.g < 40 && c.b < 40; }

TEST_P(AuxDataRender, LatticeCellsShowTheirSpeciesAndEmptyCellsNothing) {
  // One oxygen in the only cell; the first step removes it.
  auto h = std::make_shared<LMC_Holder>();
  ASSERT_EQ(h->LoadMemory("ELEMENTS O\nGRID 1 1 1\nBOX 4 0 0 0 4 0 0 0 4\nINIT O 1\n"
                          "STEP 1\nEVENT 0 0 0 O -1\n"),
            kLmcLoaded);
  DataSetList list = One(kTypeLattice, "/tmp/scene.lmc", h);
  DrawFitted(list, NoBox());
  auto p = Read();
  EXPECT_TRUE(Reddish(At(p, 32, 32))) << At(p, 32, 32).r << " " << At(p, 32, 32).g;
  EXPECT_GT(CountNot(p, {0, 0, 0}), 9);
  list[0].SetFrame(1);
  DrawFitted(list, NoBox());
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), 0);
}

TEST_P(AuxDataRender, ParticleEventsShowTheLiveParticlesOnly) {
  auto k = std::make_shared<KRB_Reader>(false);
  ASSERT_EQ(k->ReadMemory("BOX 4 0 0 0 4 0 0 0 4 0 0 0\n0 X O 1 2 2 2\n2 DEL O 1 0 0 0\n"), kKrbRead);
  DataSetList list = One(kTypeParticleEvents, "/tmp/scene.krb", k);
  DrawFitted(list, NoBox());
  auto p = Read();
  EXPECT_TRUE(Reddish(At(p, 32, 32))) << At(p, 32, 32).r << " " << At(p, 32, 32).g;
  list[0].SetFrame(2);
  DrawFitted(list, NoBox());
  EXPECT_EQ(CountNot(Read(), {0, 0, 0}), 0);
}

TEST_P(AuxDataRender, GridPointsAreSpritesColouredThroughTheRamp) {
  qvtest::TempDir dir;
  const auto values = [&](const std::string& name, std::vector<float> v) {
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
    qvtest::WriteFile(dir.File(name), b);
  };
  // Two points on the diagonal of a 4-unit cube, the lower blue, the upper red.
  values("x", {1, 3});
  values("y", {1, 3});
  values("z", {1, 3});
  values("q", {0, 1});
  qvtest::WriteText(dir.File("g.vmec"), "grids 2 1 1 1\nCoordinate.X x\nCoordinate.Y y\nCoordinate.Z z\n"
                                        "Color.Alpha 1\nDATA.1.Begin\nq\nDATA.1.End\n");
  auto v = std::make_shared<VMEC_Repository>();
  ASSERT_EQ(v->Load(dir.File("g.vmec")), kVmecLoaded);
  DataSetList list = One(kTypeGridPoints, dir.File("g.vmec"), v);
  DrawFitted(list, NoBox());
  const auto p = Read();
  int red = 0, blue = 0;
  for (const Rgb& c : p) {
    red += c.r > 150 && c.g < 60 && c.b < 60;
    blue += c.b > 150 && c.r < 60 && c.g < 60;
  }
  EXPECT_GE(red, 1);
  EXPECT_GE(blue, 1);
  EXPECT_LT(CountNot(p, {0, 0, 0}), 40) << "sprites a thousandth of the diagonal stay small";
}

}  // namespace

#include "app/Quivane.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "MemoryTrajectory.h"
#include "TestSupport.h"
#include "data/fa2/FA2_Writer.h"
#include "rendering/Coloring.h"

namespace {

using qv::Rgba;

// A copy would keep the original's display-options pointer and loaders' options.
static_assert(!std::is_copy_constructible_v<Quivane> && !std::is_copy_assignable_v<Quivane>,
              "the application object is one per run");

// Frame i has one atom whose pressure is pressures[i]; bond requests are counted.
class PressureTrajectory : public qvtest::MemoryTrajectory {
 public:
  explicit PressureTrajectory(std::vector<float> pressures) {
    for (float p : pressures) {
      ATOMS_DATA f;
      f.Allocate(1, true, false, true);
      f.atomicNumbers[0] = 8;
      f.positions[0] = f.positions[1] = f.positions[2] = 0;
      f.vectors[0] = p;
      f.vectors[1] = f.vectors[2] = 0;
      f.index = static_cast<int32_t>(frames.size());
      frames.push_back(std::move(f));
    }
  }
  BOND_INFO* GetBonds() override {
    ++bondRequests;
    return MemoryTrajectory::GetBonds();
  }

  int bondRequests = 0;
};

class Recorder : public INotifyProperty {
 public:
  void Notify(int id, int value) override { calls.emplace_back(id, value); }
  std::vector<std::pair<int, int>> calls;
};

struct App {
  Quivane app;
  Recorder recorder;
  std::shared_ptr<PressureTrajectory> a =
      std::make_shared<PressureTrajectory>(std::vector<float>{0, 160.1f});
  std::shared_ptr<PressureTrajectory> b =
      std::make_shared<PressureTrajectory>(std::vector<float>{-1});
  App() {
    app.options.listener = &recorder;
    app.dataSets.Append(qv::MakeEntry(kTypeMD, "/data/a.fa2", a));
    app.dataSets.Append(qv::MakeEntry(kTypeMD, "/data/b.fa2", b));
  }
  Rgba Stored(PressureTrajectory& t, int frame) {
    const auto& c = t.frames[frame].bonds.pressureColors;
    return c.empty() ? Rgba{} : qv::UnpackColor(c[0]);
  }
};

TEST(QuivaneColorMode, PressureAndHeightColourTheCurrentFrameOfEveryTrajectory) {
  for (int mode : {2, 3}) {
    App t;
    t.app.SetColorMode(mode);
    EXPECT_EQ(t.recorder.calls, (std::vector<std::pair<int, int>>{{261, mode}}));
    EXPECT_EQ(t.app.options.values.colorMode, mode);
    EXPECT_EQ(t.Stored(*t.a, 0), (Rgba{0, 0, 128, 96}));
    EXPECT_EQ(t.Stored(*t.b, 0), (Rgba{0, 0, 128, 96}));
    EXPECT_EQ(t.a->bondRequests, 1);  // bonds are determined before the colours go beside them
    EXPECT_TRUE(t.a->frames[1].bonds.pressureColors.empty());
  }
  App t;
  t.app.SetColorMode(1);
  EXPECT_TRUE(t.a->frames[0].bonds.pressureColors.empty());
  EXPECT_EQ(t.a->bondRequests, 0);
}

TEST(QuivaneColorMode, FrameChangesRecolourOnlyInPressureMode) {
  App t;
  t.app.SetFrameAll(1);
  EXPECT_TRUE(t.a->frames[1].bonds.pressureColors.empty());
  t.app.SetFrameAll(0);
  t.app.SetColorMode(2);
  t.app.settings.maxPressure = 320.2;  // the scale in force when the frame changes counts
  EXPECT_EQ(t.app.SetFrameAll(1), 1);
  EXPECT_EQ(t.Stored(*t.a, 1), qv::PressureColor(160.1f, 320.2));
  EXPECT_EQ(t.b->frames[0].bonds.pressureColors.size(), 1u);  // b did not change frame
}

// Two frames of two atoms whose first vector components are the given pressures.
void WriteTwoFrames(const std::string& path, const float (&p)[2][2]) {
  FA2_Writer w;
  ASSERT_EQ(w.Open(path), 0);
  const int32_t numbers[2] = {8, 1};
  const float xyz[6] = {1, 1, 1, 2, 2, 2};
  for (const auto& pf : p) {
    const float vec[6] = {pf[0], 0, 0, pf[1], 0, 0};
    FA2_Frame f;
    f.atomCount = 2;
    f.hasBox = true;
    f.box[0] = f.box[4] = f.box[8] = 10;
    f.atomicNumbers = numbers;
    f.positions.xyz = xyz;
    f.vectors.xyz = vec;
    ASSERT_GT(w.WriteFrame(f), 0);
  }
  ASSERT_TRUE(w.Close());
}

TEST(QuivaneColorMode, OpenedTrajectoryAndLaterFramesGetPressureColoursInPressureMode) {
  qvtest::TempDir dir;
  const std::string path = dir.File("p.fa2");
  WriteTwoFrames(path, {{160.1f, -1.0f}, {0.0f, 500.0f}});

  Quivane app;
  app.OpenAndPrepare(path);  // mode 0: nothing coloured
  ASSERT_EQ(app.dataSets.Size(), 1u);
  EXPECT_TRUE(app.dataSets[0].CurrentAtoms()->bonds.pressureColors.empty());

  app.SetColorMode(2);
  app.OpenAndPrepare(dir.File("missing.fa2"));  // nothing added: the list is untouched
  app.OpenAndPrepare(path);
  ASSERT_EQ(app.dataSets.Size(), 2u);
  const ATOMS_DATA* f0 = app.dataSets[1].CurrentAtoms();
  ASSERT_EQ(f0->bonds.pressureColors.size(), 2u);
  EXPECT_EQ(qv::UnpackColor(f0->bonds.pressureColors[0]), (Rgba{255, 0, 0, 96}));
  EXPECT_EQ(qv::UnpackColor(f0->bonds.pressureColors[1]), (Rgba{0, 0, 128, 96}));

  EXPECT_EQ(app.SetFrameAll(1), 1);
  for (size_t e = 0; e < 2; ++e) {
    const ATOMS_DATA* f1 = app.dataSets[e].CurrentAtoms();
    ASSERT_EQ(f1->bonds.pressureColors.size(), 2u) << e;
    EXPECT_EQ(qv::UnpackColor(f1->bonds.pressureColors[0]), (Rgba{0, 0, 128, 96}));
    EXPECT_EQ(qv::UnpackColor(f1->bonds.pressureColors[1]), (Rgba{255, 0, 0, 96}));
  }
}

// The pressure notice is due again after choosing pressure and after a load in it, never
// after a failed load or another mode.
TEST(QuivaneColorMode, PressureNoticeIsArmedByChoosingPressureAndByLoadsInIt) {
  qvtest::TempDir dir;
  const std::string path = dir.File("p.fa2");
  WriteTwoFrames(path, {{1.0f, 2.0f}, {3.0f, 4.0f}});
  Quivane app;
  const auto due = [&] {
    app.pressureNotice.Drawn();
    return app.pressureNotice.TakePending();
  };
  EXPECT_TRUE(due());  // the first picture of the run
  EXPECT_FALSE(due());
  app.SetColorMode(0);
  app.SetColorMode(3);
  EXPECT_FALSE(due());
  app.SetColorMode(2);
  EXPECT_TRUE(due());
  app.OpenAndPrepare(dir.File("missing.fa2"));
  EXPECT_FALSE(due());
  app.OpenAndPrepare(path);
  EXPECT_TRUE(due());
  EXPECT_FALSE(due());
}

}  // namespace

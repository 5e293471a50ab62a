// Lattice event data: the reader's codes, the refusals, and stepping against a replay
// computed from the generated run itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "auxdata/lmc/LatticeTypes.h"
#include "data/DataSetList.h"
#include "TestSupport.h"

namespace {

const char* kHeader = "ELEMENTS Fe Cu V\nGRID 2 2 1\nBOX 2 0 0 0 2 0 0 0 1\n";

std::string Init(int cells) {
  std::string s;
  for (int c = 0; c < cells; ++c) s += "INIT Fe 1\n";
  return s;
}

struct HeaderCase {
  const char* text;
  int code;
};

class LatticeHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(LatticeHeader, BrokenHeadersLoadNothingAndSayWhy) {
  LMC_Holder h;
  EXPECT_EQ(h.LoadMemory(GetParam().text), kLmcBadHeader);
  EXPECT_EQ(h.HeaderCode(), GetParam().code);
  EXPECT_TRUE(h.Occupancy().empty());
  EXPECT_NE(qv::LatticeLoadReport(h, kLmcBadHeader, "x.lmc").find("nothing loaded"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LatticeHeader,
    ::testing::Values(HeaderCase{"", kLmcNoFirstLine}, HeaderCase{"SPECIES Fe\n", kLmcNotElements},
                      HeaderCase{"ELEMENTS Fe\n", kLmcNoSecondLine},
                      HeaderCase{"ELEMENTS Fe\nGRIDS 1 1 1\n", kLmcNotGrid},
                      HeaderCase{"ELEMENTS Fe\nGRID 1 1 1\n", kLmcNoThirdLine},
                      HeaderCase{"ELEMENTS Fe\nGRID 1 1 1\nCELL 1 0 0 0 1 0 0 0 1\n", kLmcNotBox},
                      HeaderCase{"ELEMENTS\nGRID 1 1 1\nBOX 1 0 0 0 1 0 0 0 1\n", kLmcNoSpecies},
                      HeaderCase{"ELEMENTS Fe\nGRID 1 0 1\nBOX 1 0 0 0 1 0 0 0 1\n", kLmcBadGridSize},
                      HeaderCase{"ELEMENTS Fe\nGRID 1 1 1\nBOX 1 0 0 0 1 0 0 0\n", kLmcBadBoxNumbers},
                      // 2^60 cells, and 10^6 cells that a short file cannot describe: refused
                      // before the occupancy is sized.
                      HeaderCase{"ELEMENTS Fe\nGRID 1048576 1048576 1048576\nBOX 1 0 0 0 1 0 0 0 1\n",
                                 kLmcGridTooLarge},
                      HeaderCase{"ELEMENTS Fe\nGRID 100 100 100\nBOX 1 0 0 0 1 0 0 0 1\nINIT\n",
                                 kLmcGridTooLarge}));

TEST(Lattice, TooManySpeciesAreRefused) {
  std::string text = "ELEMENTS";
  for (int i = 0; i < 109; ++i) text += " S" + std::to_string(i);
  text += "\nGRID 1 1 1\nBOX 1 0 0 0 1 0 0 0 1\nINIT\n";
  LMC_Holder h;
  EXPECT_EQ(h.LoadMemory(text), kLmcBadHeader);
  EXPECT_EQ(h.HeaderCode(), kLmcTooManySpecies);
}

TEST(Lattice, InitLinesFillCellsInOrderAndAnUnknownSpeciesStillConsumesItsCell) {
  const std::string text = std::string(kHeader) +
                           "INIT Fe 3 Cu 2\n"
                           "INIT Xx 5 Fe 7\n"  // unknown name ends the line; the cell is used
                           "INIT\n"
                           "INIT V 4 Fe 1\n";
  LMC_Holder h;
  ASSERT_EQ(h.LoadMemory(text), kLmcLoaded);
  EXPECT_EQ(h.InitCode(), 0);
  EXPECT_EQ(h.StepCount(), 0);
  const std::vector<int8_t> want = {3, 2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 4};
  EXPECT_EQ(std::vector<int8_t>(h.Occupancy().begin(), h.Occupancy().end()), want);
  double box[9], origin[3] = {7, 7, 7};
  h.GetBox(box, origin);
  EXPECT_EQ(box[4], 2);
  EXPECT_EQ(origin[2], 0);
  EXPECT_EQ(h.Load("again"), kLmcAlreadyLoaded);
}

TEST(Lattice, ABrokenInitialStateKeepsWhatWasReadWithoutSteps) {
  LMC_Holder shortFile;
  ASSERT_EQ(shortFile.LoadMemory(std::string(kHeader) + "INIT Fe 1\nINIT Cu 1\nINIT V 1\n"), kLmcLoaded);
  EXPECT_EQ(shortFile.InitCode(), kLmcInitEndsEarly);
  LMC_Holder notInit;
  ASSERT_EQ(notInit.LoadMemory(std::string(kHeader) + "INIT Fe 1\nSTEP 1\nEVENT 0 0 0 Fe 1\n"),
            kLmcLoaded);
  EXPECT_EQ(notInit.InitCode(), kLmcInitNotInit);
  EXPECT_EQ(notInit.StepCount(), 0);
  EXPECT_EQ(notInit.Occupancy()[0], 1);
  EXPECT_NE(qv::LatticeLoadReport(notInit, kLmcLoaded, "x.lmc").find("INIT"), std::string::npos);
}

TEST(Lattice, StepsEndAtAnUnknownSpeciesOrAForeignLineKeepingTheStepSoFar) {
  const std::string steps = "STEP 0.5\nEVENT 0 0 0 Fe 1\nSTEP 1.5\nEVENT 1 0 0 Cu 2\n";
  struct Case {
    std::string tail;
    int code, steps;
  } cases[] = {
      {"EVENT 1 1 0 Zn 1\nEVENT 1 1 0 V 1\n", kLmcStepUnknownSpecies, 2},
      {"EVENT 1 1 0 V 1\nNOISE\nSTEP 3\nEVENT 0 0 0 Fe 1\n", kLmcStepBadLine, 2},
      {"STEP 2.5\nSTEP 3.5\nEVENT 0 0 0 Fe 1\n", kLmcStepsEnd, 2},  // an empty step ends them
      {"STEP 2.5\nEVENT 0 1 0 Fe -1\n", kLmcStepsEnd, 3},
  };
  for (const Case& c : cases) {
    LMC_Holder h;
    ASSERT_EQ(h.LoadMemory(std::string(kHeader) + Init(4) + steps + c.tail), kLmcLoaded);
    EXPECT_EQ(h.StepCode(), c.code) << c.tail;
    EXPECT_EQ(h.StepCount(), c.steps) << c.tail;
    EXPECT_EQ(h.Steps()[1].time, 1.5);
  }
}

TEST(Lattice, EventsOutsideTheGridAreRejectedByLineAndNeverApplied) {
  const std::string text = std::string(kHeader) + Init(4) +
                           "STEP 1\nEVENT 0 0 0 Fe 1\nEVENT 2 0 0 Fe 1\nEVENT 0 -1 0 Cu 1\n"
                           "EVENT 0 0 1 V 1\nEVENT 1 1 0 V\nEVENT 1 1 0 V 2\n";
  LMC_Holder h;
  ASSERT_EQ(h.LoadMemory(text), kLmcLoaded);
  ASSERT_EQ(h.StepCount(), 1);
  EXPECT_EQ(h.Steps()[0].eventCount, 2);
  EXPECT_EQ(h.Reader()->rejectedEvents, 4);
  EXPECT_EQ(h.Reader()->rejectedLines, (std::vector<int64_t>{10, 11, 12, 13}));
  h.SetFrame(1);
  EXPECT_EQ(h.Occupancy()[0], 2);
  EXPECT_EQ(h.Occupancy()[3 * 3 + 2], 2);
  EXPECT_NE(qv::LatticeLoadReport(h, kLmcLoaded, "x.lmc").find("line 10, 11, 12, 13"), std::string::npos);
}

// A random run written out as text; the expected occupancy of frame f is the initial state
// plus the deltas of the first f steps, summed directly from the generated run.
struct LatticeRun {
  int nx = 3, ny = 2, nz = 2, species = 2;
  std::vector<int> initial;
  std::vector<std::vector<std::array<int, 5>>> steps;  // x y z species delta
  std::string text;

  std::vector<int8_t> Expected(int f) const {
    std::vector<int> occ = initial;
    for (int s = 0; s < f; ++s) {
      for (const auto& e : steps[static_cast<size_t>(s)]) {
        occ[static_cast<size_t>((e[0] + nx * (e[1] + ny * e[2])) * species + e[3])] += e[4];
      }
    }
    return std::vector<int8_t>(occ.begin(), occ.end());
  }
};

LatticeRun RandomRun(unsigned seed, int stepCount, int maxEvents) {
  std::mt19937 rng(seed);
  LatticeRun run;
  const char* names[] = {"A", "B"};
  run.text = "ELEMENTS A B\nGRID 3 2 2\nBOX 3 0 0 0 2 0 0 0 2\n";
  const int cells = run.nx * run.ny * run.nz;
  for (int c = 0; c < cells; ++c) {
    const int a = static_cast<int>(rng() % 5), b = static_cast<int>(rng() % 5);
    run.initial.push_back(a);
    run.initial.push_back(b);
    run.text += "INIT B " + std::to_string(b) + " A " + std::to_string(a) + "\n";
  }
  for (int s = 0; s < stepCount; ++s) {
    run.text += "STEP " + std::to_string(s) + ".25\n";
    run.steps.emplace_back();
    const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(maxEvents));
    for (int k = 0; k < n; ++k) {
      std::array<int, 5> e = {static_cast<int>(rng() % 3), static_cast<int>(rng() % 2),
                              static_cast<int>(rng() % 2), static_cast<int>(rng() % 2),
                              static_cast<int>(rng() % 5) - 2};
      run.steps.back().push_back(e);
      run.text += "EVENT " + std::to_string(e[0]) + " " + std::to_string(e[1]) + " " +
                  std::to_string(e[2]) + " " + names[e[3]] + " " + std::to_string(e[4]) + "\n";
    }
  }
  return run;
}

struct Walk {
  size_t eventCapacity;
  int maxEvents;
};

class LatticeSteps : public ::testing::TestWithParam<Walk> {};

TEST_P(LatticeSteps, EveryFrameMatchesTheDirectSumWhicheverWayItIsReached) {
  const LatticeRun run = RandomRun(7, 12, GetParam().maxEvents);
  // A tiny first capacity: steps longer than it must grow the array before storing.
  LMC_Holder h(GetParam().eventCapacity, 2);
  ASSERT_EQ(h.LoadMemory(run.text), kLmcLoaded);
  ASSERT_EQ(h.StepCount(), 12);
  for (int s = 0; s < 12; ++s) EXPECT_EQ(h.Steps()[static_cast<size_t>(s)].time, s + 0.25);
  const auto occupancy = [&] { return std::vector<int8_t>(h.Occupancy().begin(), h.Occupancy().end()); };
  EXPECT_EQ(occupancy(), run.Expected(0));
  for (int f : {5, 2, 5, 12, 13, 100, 0, -3, 7, 6, 11, 1}) {
    const int want = std::clamp(f, 0, 12);
    EXPECT_EQ(h.SetFrame(f), want);
    EXPECT_EQ(h.AppliedSteps(), want);
    EXPECT_EQ(occupancy(), run.Expected(want)) << "frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Capacities, LatticeSteps,
                         ::testing::Values(Walk{1000000, 4}, Walk{1, 30}, Walk{3, 200}));

TEST(Lattice, TheDispatchAddsNoEntryForAnUnreadableOrBrokenFile) {
  qv::RegisterLatticeTypes(DataTypeRegistry::Instance());
  qvtest::TempDir dir;
  qvtest::WriteText(dir.File("bad.lmc"), "ELEMENTS Fe\nGRID 1 1\n");
  qvtest::WriteText(dir.File("good.lmc"), std::string(kHeader) + Init(4));
  DataSetList list;
  list.OpenDataFile(dir.File("missing.lmc"), LoadOptions{});
  list.OpenDataFile(dir.File("bad.lmc"), LoadOptions{});
  EXPECT_EQ(list.Size(), 0u);
  list.OpenDataFile(dir.File("good.lmc"), LoadOptions{});
  ASSERT_EQ(list.Size(), 1u);
  EXPECT_EQ(list[0].type, kTypeLattice);
  double size = 0, centre[3];
  ASSERT_TRUE(list.GetViewBounds(size, centre));
  EXPECT_EQ(size, 4);
  EXPECT_EQ(centre[0], 1);
  EXPECT_EQ(list[0].SetFrame(3), 0);
}

}  // namespace

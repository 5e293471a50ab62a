#include "app/AnalysisCommands.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "Fa2Frames.h"
#include "TestSupport.h"

namespace {

// The tests load with a cut-off of 1.2, so the two hydrogens of a water (1.36 apart) are
// not bonded to each other.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t nl = text.find('\n', pos);
    out.push_back(text.substr(pos, nl - pos));
    pos = nl == std::string::npos ? text.size() : nl + 1;
  }
  return out;
}

}  // namespace

TEST(AnalysisCommands, SeriesFromFrameTwoOfFiveEndsAtTheLastFrame) {
  qvtest::TempDir dir;
  Quivane app;
  app.settings.bondCutoff = 1.2;
  app.OpenAndPrepare(fa2test::WriteWaters(dir.File("run.fa2"), 5));
  ASSERT_EQ(app.dataSets.Size(), 1u);
  app.currentFrame = app.SetFrameAll(2);
  ASSERT_EQ(app.currentFrame, 2);
  EXPECT_EQ(CoordinationSeriesCommand(app), kAnalysisDone);
  EXPECT_EQ(app.currentFrame, 4);
  EXPECT_EQ(qvtest::ReadText(dir.File("run_coord.txt")),
            "#frame, num_atoms, coord0, 1, 2, 3, 4, 5, 6, more\n"
            "0\t11\t2\t6\t3\t0\t0\t0\t0\t0\n"
            "1\t12\t3\t6\t3\t0\t0\t0\t0\t0\n"
            "2\t13\t4\t6\t3\t0\t0\t0\t0\t0\n");
}

TEST(AnalysisCommands, SeriesStepsByTheFrameSkip) {
  qvtest::TempDir dir;
  Quivane app;
  app.settings.bondCutoff = 1.2;
  app.OpenAndPrepare(fa2test::WriteWaters(dir.File("run.fa2"), 5));
  app.frameSkip = 3;
  EXPECT_EQ(CoordinationSeriesCommand(app), kAnalysisDone);
  const auto lines = Lines(qvtest::ReadText(dir.File("run_coord.txt")));
  ASSERT_EQ(lines.size(), 3u);  // frames 0 and 3; the step to 6 reaches only 4 and ends it
  EXPECT_EQ(lines[2].substr(0, 5), "1\t12\t");
  EXPECT_EQ(app.currentFrame, 4);
}

TEST(AnalysisCommands, MoleculesWritesTheTableThenTheCoordinationFile) {
  qvtest::TempDir dir;
  Quivane app;
  app.settings.bondCutoff = 1.2;
  app.OpenAndPrepare(fa2test::WriteWaters(dir.File("w.fa2"), 3));
  app.currentFrame = app.SetFrameAll(2);
  EXPECT_EQ(ClassifyMoleculesCommand(app), kAnalysisDone);
  EXPECT_EQ(qvtest::ReadText(dir.File("w_mol.txt")), "3\tH2O1\n2\tH1\n");
  const auto coord = Lines(qvtest::ReadText(dir.File("w_coord_2.txt")));
  ASSERT_EQ(coord.size(), 12u);
  EXPECT_EQ(coord[0], "#index, Z, coordination");
  EXPECT_EQ(coord[1], "0\tO\t2");
  EXPECT_EQ(coord[11], "10\tH\t0");
}

TEST(AnalysisCommands, NothingHappensWhileAMoviePlays) {
  qvtest::TempDir dir;
  Quivane app;
  app.settings.bondCutoff = 1.2;
  app.OpenAndPrepare(fa2test::WriteWaters(dir.File("m.fa2"), 2));
  app.playState = kPlayingForward;
  testing::internal::CaptureStdout();
  EXPECT_EQ(ClassifyMoleculesCommand(app), kAnalysisMoviePlaying);
  EXPECT_EQ(CoordinationCommand(app), kAnalysisMoviePlaying);
  EXPECT_EQ(CoordinationSeriesCommand(app), kAnalysisMoviePlaying);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Prease stop movie.\nPrease stop movie.\nPrease stop movie.\n");
  EXPECT_FALSE(RejudgeBondsCommand(app));
  EXPECT_FALSE(std::filesystem::exists(dir.File("m_mol.txt")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("m_coord.txt")));
}

TEST(AnalysisCommands, CommandsNeedATrajectory) {
  Quivane app;
  EXPECT_EQ(ClassifyMoleculesCommand(app), kAnalysisNoTrajectory);
  EXPECT_EQ(CoordinationCommand(app), kAnalysisNoTrajectory);
  EXPECT_EQ(CoordinationSeriesCommand(app), kAnalysisNoTrajectory);
  EXPECT_TRUE(RejudgeBondsCommand(app));  // nothing to rebuild, nothing fails
}

TEST(AnalysisCommands, LoadedFramesGetBondsWithTheSettingsPeriodicity) {
  qvtest::TempDir dir;
  qvtest::Bytes b;
  // Two atoms 1.0 apart through the x faces of a 10 Angstrom box.
  fa2test::AppendFrame(b, 0, {10, 0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0}, {{1, 0.5f, 5, 5}, {1, 9.5f, 5, 5}});
  qvtest::WriteFile(dir.File("p.fa2"), b.data);
  for (int periodic : {3, 0}) {
    Quivane app;
    app.settings.periodic = periodic;
    app.OpenAndPrepare(dir.File("p.fa2"));
    ASSERT_EQ(app.dataSets.Size(), 1u);
    BOND_INFO* bonds = app.dataSets[0].CurrentBonds();
    ASSERT_NE(bonds, nullptr);
    EXPECT_EQ(bonds->counts[0], periodic ? 1 : 0) << periodic;
  }
}

TEST(AnalysisCommands, RejudgeUsesTheCurrentCutoffSetting) {
  qvtest::TempDir dir;
  Quivane app;
  app.settings.bondCutoff = 1.2;
  app.OpenAndPrepare(fa2test::WriteWaters(dir.File("r.fa2"), 1));
  BOND_INFO* bonds = app.dataSets[0].CurrentBonds();
  ASSERT_NE(bonds, nullptr);
  EXPECT_EQ(bonds->bondCount, 6);
  app.settings.bondCutoff = 1.5;  // now the two hydrogens of each water (1.36 apart) bond
  EXPECT_TRUE(RejudgeBondsCommand(app));
  EXPECT_EQ(app.dataSets[0].CurrentBonds()->bondCount, 9);
}

#include "app/AnalysisCommands.h"

#include <cstdio>
#include <string>

#include "analysis/BondBuilder.h"
#include "analysis/Coordination.h"
#include "analysis/Molecules.h"
#include "data/Console.h"

namespace {

struct Target {
  LawData* entry = nullptr;
  IMDContainer* md = nullptr;
};

Target FirstTrajectory(Quivane& app) {
  Target t;
  t.entry = app.dataSets.First();
  t.md = t.entry ? t.entry->MD() : nullptr;
  return t;
}

bool MoviePlaying(const Quivane& app) {
  if (app.playState == kStopped) return false;
  qv::ConsolePrint("Prease stop movie.\n");
  return true;
}

int WriteCoordination(Quivane& app, const Target& t) {
  ATOMS_DATA* frame = t.md->GetCurrentFrame();
  BOND_INFO* bonds = frame ? t.md->GetBonds() : nullptr;
  if (!frame || !bonds) return kAnalysisNoTrajectory;
  const std::string path = qv::BaseName(t.entry->path) + "_coord_" + std::to_string(app.currentFrame) + ".txt";
  const int r = WriteCoordinationFile(path, *frame, *bonds);
  return r > 0 ? kAnalysisDone : r == 0 ? kAnalysisNothingWritten : kAnalysisFileError;
}

}  // namespace

int ClassifyMoleculesCommand(Quivane& app, bool numbered) {
  if (MoviePlaying(app)) return kAnalysisMoviePlaying;
  const Target t = FirstTrajectory(app);
  if (!t.md) return kAnalysisNoTrajectory;
  ATOMS_DATA* frame = t.md->GetCurrentFrame();
  BOND_INFO* bonds = frame ? t.md->GetBonds() : nullptr;
  if (!frame || !bonds) return kAnalysisNoTrajectory;
  const bool numbers = frame->atomicNumbers.size() >= static_cast<size_t>(std::max(frame->atomCount, 0));
  const auto records = ClassifyMolecules(frame->atomCount, numbers ? frame->atomicNumbers.data() : nullptr, *bonds);
  const std::string suffix = numbered ? "_mol_" + std::to_string(app.currentFrame) + ".txt" : "_mol.txt";
  const int written = WriteMoleculeFile(qv::BaseName(t.entry->path) + suffix, records);
  // The coordination file is attempted even when the molecule file failed.
  const int coord = WriteCoordination(app, t);
  return written != 0 ? kAnalysisFileError : coord == kAnalysisNothingWritten ? kAnalysisDone : coord;
}

int CoordinationCommand(Quivane& app) {
  if (MoviePlaying(app)) return kAnalysisMoviePlaying;
  const Target t = FirstTrajectory(app);
  if (!t.md) return kAnalysisNoTrajectory;
  return WriteCoordination(app, t);
}

int CoordinationSeriesCommand(Quivane& app, const std::function<bool(int)>& onStep) {
  if (MoviePlaying(app)) return kAnalysisMoviePlaying;
  const Target t = FirstTrajectory(app);
  if (!t.md) return kAnalysisNoTrajectory;
  int moves = 0;
  const int lines = WriteCoordinationSeries(qv::BaseName(t.entry->path) + "_coord.txt", *t.md, app.currentFrame,
                                            app.frameSkip, [&](int target) {
                                              // Not moving ends the series on this frame.
                                              if (onStep && !onStep(++moves)) return app.currentFrame;
                                              return app.SetFrameAll(target);
                                            });
  return lines < 0 ? kAnalysisFileError : kAnalysisDone;
}

bool RejudgeBondsCommand(Quivane& app) {
  return RejudgeBonds(app.dataSets, app.settings.bondCutoff, app.settings.periodic, app.playState != kStopped);
}

void RebuildAllBondsCommand(Quivane& app) {
  RebuildAllBonds(app.dataSets, app.settings.bondCutoff, app.settings.periodic);
}

// The report commands: the same files the viewer's analysis menu writes.
#include <cstdio>

#include "app/AnalysisCommands.h"
#include "tools/qvtool/QvTool.h"

namespace {

int Finish(const char* command, int status) {
  switch (status) {
    case kAnalysisDone:
      return 0;
    case kAnalysisNothingWritten:
      std::fprintf(stderr, "qvtool %s: the frame has no bonds; no file written\n", command);
      return 0;
    case kAnalysisNoTrajectory:
      std::fprintf(stderr, "qvtool %s: the first data set is not a trajectory with atoms\n", command);
      return 1;
    default:
      std::fprintf(stderr, "qvtool %s: the report could not be written\n", command);
      return 1;
  }
}

}  // namespace

int CmdMolecules(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  // Over a frame range each frame's molecule file carries its number, as the coordination
  // file does, instead of every frame overwriting one.
  return Finish("molecules", ClassifyMoleculesCommand(app, args.ranged));
}

int CmdCoord(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  return Finish("coord", CoordinationCommand(app));
}

int CmdCoordSeries(Quivane& app, const ParsedArgs& args) {
  int skip = 1;
  if (!qvtool::IntOption(args, "skip", skip)) return 2;
  if (skip < 1) {
    std::fprintf(stderr, "qvtool coord-series: --skip must be at least 1\n");
    return 2;
  }
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  app.frameSkip = skip;
  return Finish("coord-series", CoordinationSeriesCommand(app));
}

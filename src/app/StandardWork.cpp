#include "app/StandardWork.h"

#include <filesystem>

#include "app/AnalysisCommands.h"
#include "app/ConvertCommands.h"
#include "app/EpsCommand.h"
#include "app/StlCommands.h"
#include "output/StlWriter.h"

namespace qv::cmd {
namespace {

constexpr const char* kNoTrajectory = "the first data set is not a trajectory with atoms";

OutputResult FromEps(int status, const std::string& path) {
  switch (status) {
    case kEpsOk: return Wrote(path);
    case kEpsCannotCreate: return NotWritten(path, WhyNotWritten(path));
    case kEpsWriteFailed: return NotWritten(path, "writing failed part way; the partial file was removed");
    case kEpsEmptyView: return NotWritten(path, "the drawing area has no size");
    default: return NotWritten({}, kNoTrajectory);
  }
}

OutputResult FromStl(int status, const std::string& path) {
  if (status >= 0) return Wrote(path);
  switch (status) {
    case qv::kStlOpenFailed: return NotWritten(path, WhyNotWritten(path));
    case qv::kStlWriteFailed: return NotWritten(path, "writing failed part way; the partial file was removed");
    case qv::kStlBadParameter:
      return NotWritten(path, "an STL setting is out of range (STLAtomRadius, STLAtomPoly, STLGridWidth, STLScale)");
    case qv::kStlTooLarge: return NotWritten(path, "the mesh would be larger than the writer supports");
    default: return NotWritten({}, kNoTrajectory);
  }
}

OutputResult FromAnalysis(int status, const std::string& path) {
  switch (status) {
    case kAnalysisDone: return Wrote(path);
    case kAnalysisNothingWritten: return NotWritten(path, "the frame has no bonds, so there is nothing to report");
    case kAnalysisFileError: return NotWritten(path, WhyNotWritten(path));
    case kAnalysisMoviePlaying: return NotWritten({}, "the movie is playing");
    default: return NotWritten({}, kNoTrajectory);
  }
}

std::string ReportPath(const Quivane& app, const std::string& suffix) {
  const LawData* first = app.dataSets.First();
  return first ? qv::BaseName(first->path) + suffix : std::string();
}

std::string FrameConversionPath(const Quivane& app, const char* suffix) {
  const LawData* first = app.dataSets.First();
  return first ? qv::ConversionPath(first->path, suffix, app.currentFrame) : std::string();
}

}  // namespace

void BindStandardWork(Commands& commands, Quivane& app) {
  CommandWork& work = commands.work;
  work.writeEps = [&app] {
    std::string path;
    const int status = WriteEpsCommand(app, &path);
    return FromEps(status, path);
  };
  work.writeStl = [&app](bool grid) {
    std::string path;
    const int status = WriteStlCommand(app, grid, &path);
    return FromStl(status, path);
  };
  work.writeMd3 = [&app] {
    const std::string path = FrameConversionPath(app, "_%d.md3");
    return ConvertFrameMd3Command(app) ? Wrote(path) : NotWritten(path, WhyNotWritten(path));
  };
  work.writeFa2 = [&app] {
    const std::string path = FrameConversionPath(app, "_%d.fa2");
    return ConvertFrameFa2Command(app) ? Wrote(path) : NotWritten(path, WhyNotWritten(path));
  };
  work.md3Sequence = [&app, &work](const StepFn& onStep) {
    const qv::Md3SequenceResult r = ConvertSequenceMd3Command(
        app,
        [&work](int frame) {
          if (work.writeBitmap) work.writeBitmap(frame);
        },
        onStep);
    if (!r.opened) return NotWritten(r.path, r.path.empty() ? kNoTrajectory : WhyNotWritten(r.path));
    OutputResult out = Wrote(r.path);
    out.count = r.framesWritten;
    return out;
  };
  work.redetermineBonds = [&app] { RebuildAllBondsCommand(app); };
  work.classifyMolecules = [&app] {
    const std::string molecules = ReportPath(app, "_mol.txt");
    const std::string coord = ReportPath(app, "_coord_" + std::to_string(app.currentFrame) + ".txt");
    OutputResult r = FromAnalysis(ClassifyMoleculesCommand(app), molecules);
    // Both reports are written; the coordination one may have been the one that failed.
    if (r.written) r.path = molecules + " and " + coord;
    else if (!r.path.empty() && std::filesystem::exists(molecules)) r = FromAnalysis(kAnalysisFileError, coord);
    return r;
  };
  work.coordinationReport = [&app] {
    return FromAnalysis(CoordinationCommand(app),
                        ReportPath(app, "_coord_" + std::to_string(app.currentFrame) + ".txt"));
  };
  work.coordinationSeries = [&app](const StepFn& onStep) {
    int lines = 0;
    const int status = CoordinationSeriesCommand(app, [&](int written) {
      lines = written;
      return !onStep || onStep(written);
    });
    OutputResult r = FromAnalysis(status, ReportPath(app, "_coord.txt"));
    if (r.written) r.count = lines;
    return r;
  };
  work.setColourMode = [&app](int mode) { app.SetColorMode(mode); };
  work.recolourFirst = [&app] {
    if (LawData* first = app.dataSets.First()) app.ColorCurrentFrameByPressure(*first);
  };
}

}  // namespace qv::cmd

#include "app/StandardWork.h"

// Each command is bound once its work is part of the program; until then it stays inert.
#if __has_include("app/AnalysisCommands.h")
#include "app/AnalysisCommands.h"
#define QV_HAVE_ANALYSIS 1
#endif
#if __has_include("app/EpsCommand.h")
#include "app/EpsCommand.h"
#define QV_HAVE_EPS 1
#endif
#if __has_include("app/StlCommands.h")
#include "app/StlCommands.h"
#define QV_HAVE_STL 1
#endif
#if __has_include("app/ConvertCommands.h")
#include "app/ConvertCommands.h"
#define QV_HAVE_CONVERSION 1
#endif

namespace qv::cmd {

void BindStandardWork(Commands& commands, Quivane& app) {
  CommandWork& work = commands.work;
#if QV_HAVE_EPS
  work.writeEps = [&app] { WriteEpsCommand(app); };
#endif
#if QV_HAVE_STL
  work.writeStl = [&app](bool grid) { WriteStlCommand(app, grid); };
#endif
#if QV_HAVE_CONVERSION
  work.writeMd3 = [&app] { ConvertFrameMd3Command(app); };
  work.writeFa2 = [&app] { ConvertFrameFa2Command(app); };
  work.md3Sequence = [&app, &work] {
    ConvertSequenceMd3Command(app, [&work](int frame) {
      if (work.writeBitmap) work.writeBitmap(frame);
    });
  };
#endif
#if QV_HAVE_ANALYSIS
  work.redetermineBonds = [&app] { RebuildAllBondsCommand(app); };
  work.classifyMolecules = [&app] { ClassifyMoleculesCommand(app); };
  work.coordinationReport = [&app] { CoordinationCommand(app); };
  work.coordinationSeries = [&app] { CoordinationSeriesCommand(app); };
#endif
  work.setColourMode = [&app](int mode) { app.SetColorMode(mode); };
  work.recolourFirst = [&app] {
    if (LawData* first = app.dataSets.First()) app.ColorCurrentFrameByPressure(*first);
  };
}

}  // namespace qv::cmd

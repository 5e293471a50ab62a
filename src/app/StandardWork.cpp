#include "app/StandardWork.h"

#include "app/AnalysisCommands.h"
#include "app/ConvertCommands.h"
#include "app/EpsCommand.h"
#include "app/StlCommands.h"

namespace qv::cmd {

void BindStandardWork(Commands& commands, Quivane& app) {
  CommandWork& work = commands.work;
  work.writeEps = [&app] { WriteEpsCommand(app); };
  work.writeStl = [&app](bool grid) { WriteStlCommand(app, grid); };
  work.writeMd3 = [&app] { ConvertFrameMd3Command(app); };
  work.writeFa2 = [&app] { ConvertFrameFa2Command(app); };
  work.md3Sequence = [&app, &work](const StepFn& onStep) {
    ConvertSequenceMd3Command(
        app,
        [&work](int frame) {
          if (work.writeBitmap) work.writeBitmap(frame);
        },
        onStep);
  };
  work.redetermineBonds = [&app] { RebuildAllBondsCommand(app); };
  work.classifyMolecules = [&app] { ClassifyMoleculesCommand(app); };
  work.coordinationReport = [&app] { CoordinationCommand(app); };
  work.coordinationSeries = [&app](const StepFn& onStep) { CoordinationSeriesCommand(app, onStep); };
  work.setColourMode = [&app](int mode) { app.SetColorMode(mode); };
  work.recolourFirst = [&app] {
    if (LawData* first = app.dataSets.First()) app.ColorCurrentFrameByPressure(*first);
  };
}

}  // namespace qv::cmd

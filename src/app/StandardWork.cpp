#include "app/StandardWork.h"

#include "app/AnalysisCommands.h"
#include "app/EpsCommand.h"
#include "app/StlCommands.h"
#include "output/Conversion.h"

namespace qv::cmd {

void BindStandardWork(Commands& commands, Quivane& app) {
  CommandWork& work = commands.work;
  work.writeEps = [&app] { WriteEpsCommand(app); };
  work.writeStl = [&app](bool grid) { WriteStlCommand(app, grid); };
  work.writeMd3 = [&app] { qv::OutputCurrentFrameMd3(app.dataSets, app.currentFrame); };
  work.writeFa2 = [&app] { qv::OutputCurrentFrameFa2(app.dataSets, app.currentFrame); };
  work.md3Sequence = [&app, &work] {
    qv::OutputMd3Sequence(
        app.dataSets, app.currentFrame, app.frameSkip, [&app](int t) { return app.SetFrameAll(t); },
        [&work](int frame) {
          if (work.writeBitmap) work.writeBitmap(frame);
        });
  };
  work.redetermineBonds = [&app] { RebuildAllBondsCommand(app); };
  work.classifyMolecules = [&app] { ClassifyMoleculesCommand(app); };
  work.coordinationReport = [&app] { CoordinationCommand(app); };
  work.coordinationSeries = [&app] { CoordinationSeriesCommand(app); };
  work.setColourMode = [&app](int mode) { app.SetColorMode(mode); };
  work.recolourFirst = [&app] {
    if (LawData* first = app.dataSets.First()) app.ColorCurrentFrameByPressure(*first);
  };
}

}  // namespace qv::cmd

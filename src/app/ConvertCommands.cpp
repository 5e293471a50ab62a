#include "app/ConvertCommands.h"

bool ConvertFrameMd3Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameMd3(app.dataSets, app.currentFrame, writtenPath);
}

bool ConvertFrameFa2Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameFa2(app.dataSets, app.currentFrame, writtenPath);
}

qv::Md3SequenceResult ConvertSequenceMd3Command(Quivane& app, const qv::FinalBitmapFn& finalBitmap) {
  return qv::OutputMd3Sequence(app.dataSets, app.currentFrame, app.frameSkip,
                               [&app](int target) { return app.SetFrameAll(target); },
                               finalBitmap);
}

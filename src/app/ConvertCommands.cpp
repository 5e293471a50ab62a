#include "app/ConvertCommands.h"

bool ConvertFrameMd3Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameMd3(app.dataSets, app.currentFrame, writtenPath);
}

bool ConvertFrameFa2Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameFa2(app.dataSets, app.currentFrame, writtenPath);
}

qv::Md3SequenceResult ConvertSequenceMd3Command(Quivane& app, const qv::FinalBitmapFn& finalBitmap,
                                                const std::function<void(int)>& onStep) {
  int moves = 0;
  return qv::OutputMd3Sequence(app.dataSets, app.currentFrame, app.frameSkip,
                               [&](int target) {
                                 const int reached = app.SetFrameAll(target);
                                 if (onStep) onStep(++moves);
                                 return reached;
                               },
                               finalBitmap);
}

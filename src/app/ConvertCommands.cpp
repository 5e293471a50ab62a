#include "app/ConvertCommands.h"

bool ConvertFrameMd3Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameMd3(app.dataSets, app.currentFrame, writtenPath);
}

bool ConvertFrameFa2Command(Quivane& app, std::string* writtenPath) {
  return qv::OutputCurrentFrameFa2(app.dataSets, app.currentFrame, writtenPath);
}

qv::Md3SequenceResult ConvertSequenceMd3Command(Quivane& app, const qv::FinalBitmapFn& finalBitmap,
                                                const std::function<bool(int)>& onStep) {
  int moves = 0;
  return qv::OutputMd3Sequence(app.dataSets, app.currentFrame, app.frameSkip,
                               [&](int target) {
                                 // Not moving ends the sequence on this frame.
                                 if (onStep && !onStep(++moves)) return app.currentFrame;
                                 return app.SetFrameAll(target);
                               },
                               finalBitmap);
}

#include "output/Conversion.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <vector>

#include "data/fa2/FA2_Writer.h"
#include "data/md3/MD3.h"

namespace qv {
namespace {

// The frame of the first data set when it is a trajectory; null otherwise.
ATOMS_DATA* FirstTrajectoryFrame(DataSetList& list) {
  LawData* first = list.First();
  if (!first || first->type != kTypeMD) return nullptr;
  return first->CurrentAtoms();
}

void SetFrame(vrk::MD3_Writer2<float>& w, const ATOMS_DATA& frame, const float box[9]) {
  w.SetCount(frame.atomCount);
  w.SetAtomicNumbers(frame.atomicNumbers.empty() ? nullptr : frame.atomicNumbers.data());
  w.SetPositions(frame.positions.data());
  w.SetBox(box);
}

void BoxAsFloats(const ATOMS_DATA& frame, float box[9]) {
  for (int k = 0; k < 9; ++k) box[k] = static_cast<float>(frame.box[k]);
}

using WriteFrameFn = bool (*)(const std::string& path, const ATOMS_DATA& frame);

bool OutputCurrentFrame(DataSetList& list, int currentFrame, const char* suffix,
                        WriteFrameFn write, std::string* written) {
  const ATOMS_DATA* frame = FirstTrajectoryFrame(list);
  if (!frame) return false;
  const std::string path = ConversionPath(list.First()->path, suffix, currentFrame);
  if (!write(path, *frame)) return false;
  if (written) *written = path;
  return true;
}

}  // namespace

std::string ConversionPath(const std::string& dataPath, const char* suffix, int frame) {
  std::string s = suffix;
  if (const size_t at = s.find("%d"); at != std::string::npos) {
    s.replace(at, 2, std::to_string(frame));
  }
  return BaseName(dataPath) + s;
}

bool WriteFrameMd3(const std::string& path, const ATOMS_DATA& frame) {
  vrk::MD3_Writer2<float> w;
  if (w.Open(path.c_str()) != 0) return false;
  float box[9];
  BoxAsFloats(frame, box);
  SetFrame(w, frame, box);
  return w.WriteFrame() > 0;
}

bool WriteFrameFa2(const std::string& path, const ATOMS_DATA& frame) {
  // A header with no atoms would end the data for every fa2 reader.
  if (frame.atomCount <= 0) return false;
  FA2_Writer w;
  if (w.Open(path) != 0) return false;
  FA2_Frame f;
  f.atomCount = frame.atomCount;
  f.hasBox = true;
  BoxAsFloats(frame, f.box);
  for (int k = 0; k < 3; ++k) f.box[9 + k] = static_cast<float>(frame.origin[k]);
  std::vector<int32_t> zeros;
  if (frame.atomicNumbers.empty()) zeros.assign(static_cast<size_t>(frame.atomCount), 0);
  f.atomicNumbers = frame.atomicNumbers.empty() ? zeros.data() : frame.atomicNumbers.data();
  f.positions.xyz = frame.positions.data();
  const bool ok = w.WriteFrame(f) > 0;
  if (!w.Close() || !ok) {
    std::remove(path.c_str());  // no half-written frame left behind
    return false;
  }
  return true;
}

bool OutputCurrentFrameMd3(DataSetList& list, int currentFrame, std::string* written) {
  return OutputCurrentFrame(list, currentFrame, "_%d.md3", WriteFrameMd3, written);
}

bool OutputCurrentFrameFa2(DataSetList& list, int currentFrame, std::string* written) {
  return OutputCurrentFrame(list, currentFrame, "_%d.fa2", WriteFrameFa2, written);
}

Md3SequenceResult OutputMd3Sequence(DataSetList& list, int& currentFrame, int frameSkip,
                                    const SetFrameAllFn& setFrameAll,
                                    const FinalBitmapFn& finalBitmap) {
  Md3SequenceResult result;
  if (FirstTrajectoryFrame(list)) {
    result.path = ConversionPath(list.First()->path, "_all.md3", currentFrame);
    vrk::MD3_Writer2<float> w;
    if (w.Open(result.path.c_str()) == 0) {
      result.opened = true;
      // A skip below 1 would never reach the end of the trajectory.
      const int skip = std::max(frameSkip, 1);
      for (;;) {
        const ATOMS_DATA* frame = FirstTrajectoryFrame(list);
        if (!frame) break;
        float box[9];
        BoxAsFloats(*frame, box);
        SetFrame(w, *frame, box);
        w.SetTitle("converted by Quivane");
        w.ClearVectors();
        if (frame->HasVectors()) w.SetVectors2(frame->vectors.data());
        if (w.WriteFrame() > 0) ++result.framesWritten;
        // Saturated: a huge skip must reach past the end, not wrap round to frame 0.
        const int target = currentFrame > INT_MAX - skip ? INT_MAX : currentFrame + skip;
        currentFrame = setFrameAll ? setFrameAll(target) : currentFrame;
        if (currentFrame < target) break;
      }
    }
  }
  if (!list.Empty() && finalBitmap) finalBitmap(currentFrame);
  return result;
}

}  // namespace qv

#include "data/md3/MD3Load.h"

#include <cstdio>

#include "data/Console.h"
#include "data/text/ParallelText.h"

namespace qv {

std::string Md3DeclaresTooMany(int frameNo, int count) {
  char text[160];
  std::snprintf(text, sizeof text,
                "md3: frame %d declares %d atoms, more than the rest of the file can hold; reading stops\n",
                frameNo, count);
  return text;
}

std::string Md3NoTitle(int frameNo) {
  char text[96];
  std::snprintf(text, sizeof text, "md3: frame %d has no title line; reading stops\n", frameNo);
  return text;
}

void PrintMd3FrameEnd(int frameNo, int status, int atomsRead, int count, int nonFinite) {
  if (status == vrk::kMD3TooFewAtoms) {
    qv::ConsolePrint("md3: frame %d ends after %d of its %d atoms; the missing atoms are set to 0\n",
                frameNo, atomsRead, count);
  } else if (status == vrk::kMD3TooManyAtoms) {
    qv::ConsolePrint("md3: frame %d has more atom lines than its count %d; reading stops\n", frameNo,
                count);
  } else if (status <= 0 && status != vrk::kMD3End) {
    qv::ConsolePrint("md3: the count after frame %d is %d; reading stops\n", frameNo, status);
  }
  if (nonFinite > 0) {
    qv::ConsolePrint("md3: frame %d: %d values that are not finite numbers were set to 0\n", frameNo,
                nonFinite);
  }
}

int LoadMd3Frames(const std::string& path, FrameList& frames) {
  // A regular file whose first line is a count is parsed on every core; anything else is
  // left to the serial reader, which also tells the failures apart.
  if (LoadMd3FramesParallel(path, frames) == 0) return 0;
  vrk::MD3_Reader2<float> reader;
  if (reader.Open(path.c_str()) != 0) return -1;
  return LoadMd3Frames(reader, frames);
}

int LoadMd3Frames(vrk::MD3_Reader2<float>& reader, FrameList& frames) {
  float box[9] = {};  // shared by the whole load: a frame without BOX keeps the last one
  while (reader.GetCount() > 0) {
    const int n = reader.GetCount();
    const int frameNo = static_cast<int>(frames.size());
    if (static_cast<uint64_t>(n) > reader.MaxAtomsLeft()) {
      qv::ConsolePrint("%s", Md3DeclaresTooMany(frameNo, n).c_str());
      break;
    }
    auto frame = std::make_unique<ATOMS_DATA>();
    frame->Allocate(n);
    reader.ResetDestinations();
    reader.SetAtomicNumbers(frame->atomicNumbers.data());
    reader.SetPositions(frame->positions.data());
    reader.SetBox(box);
    if (reader.ReadFrame() == 0) {
      qv::ConsolePrint("%s", Md3NoTitle(frameNo).c_str());
      break;
    }
    for (int k = 0; k < 9; ++k) frame->box[k] = box[k];
    frame->index = frame->sequence = frame->step = frameNo;
    PrintMd3FrameEnd(frameNo, reader.GetCount(), reader.AtomsRead(), n, reader.NonFiniteValues());
    frames.push_back(std::move(frame));
  }
  return 0;
}

}  // namespace qv

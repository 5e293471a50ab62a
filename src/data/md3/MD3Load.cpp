#include "data/md3/MD3Load.h"

#include <cstdio>

#include "data/Console.h"

namespace qv {

int LoadMd3Frames(const std::string& path, FrameList& frames) {
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
      qv::ConsolePrint("md3: frame %d declares %d atoms, more than the rest of the file can hold; "
                  "reading stops\n", frameNo, n);
      break;
    }
    auto frame = std::make_unique<ATOMS_DATA>();
    frame->Allocate(n);
    reader.ResetDestinations();
    reader.SetAtomicNumbers(frame->atomicNumbers.data());
    reader.SetPositions(frame->positions.data());
    reader.SetBox(box);
    if (reader.ReadFrame() == 0) {
      qv::ConsolePrint("md3: frame %d has no title line; reading stops\n", frameNo);
      break;
    }
    for (int k = 0; k < 9; ++k) frame->box[k] = box[k];
    frame->index = frame->sequence = frame->step = frameNo;
    const int status = reader.GetCount();
    if (status == vrk::kMD3TooFewAtoms) {
      qv::ConsolePrint("md3: frame %d ends after %d of its %d atoms; the missing atoms are set to 0\n",
                  frameNo, reader.AtomsRead(), n);
    } else if (status == vrk::kMD3TooManyAtoms) {
      qv::ConsolePrint("md3: frame %d has more atom lines than its count %d; reading stops\n", frameNo,
                  n);
    } else if (status <= 0 && status != vrk::kMD3End) {
      qv::ConsolePrint("md3: the count after frame %d is %d; reading stops\n", frameNo, status);
    }
    if (reader.NonFiniteValues() > 0) {
      qv::ConsolePrint("md3: frame %d: %d values that are not finite numbers were set to 0\n", frameNo,
                  reader.NonFiniteValues());
    }
    frames.push_back(std::move(frame));
  }
  return 0;
}

}  // namespace qv

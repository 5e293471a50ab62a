// Scalar-field files from arbitrary bytes: first byte even reads the rest as a cube file,
// odd as a bif file. Every frame's cells match its grid.
#include "FuzzCommon.h"
#include "auxdata/field/Field3DLoader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char* ext = (data[0] & 1) ? "bif" : "cube";
  if (!qvfuzz::WriteTempFile(data + 1, size - 1, ext)) return 0;
  Field3DLoader f;
  if (f.Read(qvfuzz::TempPath(ext)) != 0) {
    if (f.FrameCount() != 0 && ext[0] == 'c') std::abort();
    return 0;
  }
  for (int i = 0; i < f.FrameCount(); ++i) {
    const FieldFrame& fr = f.Frame(i);
    if (fr.nx <= 0 || fr.ny <= 0 || fr.nz <= 0 ||
        fr.CellCount() != size_t(fr.nx) * size_t(fr.ny) * size_t(fr.nz)) {
      std::abort();
    }
  }
  f.SetFrame(f.FrameCount() + 3);
  double box[9], origin[3];
  f.GetBox(box, origin);
  return 0;
}

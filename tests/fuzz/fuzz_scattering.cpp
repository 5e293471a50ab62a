// Scattering paths from arbitrary bytes: every step's visible set stays inside the points.
#include <algorithm>

#include "FuzzCommon.h"
#include "auxdata/scattering/BCALoader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BCALoader b;
  qv::LineReader lines(size > 0 && (data[0] & 1) ? 64 : qv::LineReader::kDefaultBufferSize);
  lines.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!b.Read(lines, "fuzz.traj")) return 0;
  const int steps[] = {-1, 0, 1, 2, b.StepCount() / 2, b.StepCount() - 1, b.StepCount() + 1};
  for (int s : steps) {
    b.SetCurrentStep(s);
    const BCAVisibleSet* v = b.GetVisibleSet();
    if (!v) continue;
    int64_t total = 0;
    for (int64_t p = 0; p < v->pathCount; ++p) total += v->counts[p];
    if (total != v->pointCount) std::abort();
    for (int64_t i = 0; i < v->pointCount; ++i) {
      if (v->indices[i] >= b.PointCount() || b.Steps()[v->indices[i]] > b.CurrentStep()) std::abort();
    }
  }
  return 0;
}

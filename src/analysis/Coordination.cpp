#include "analysis/Coordination.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <thread>

#include "analysis/ReportFile.h"
#include "data/DataContainer.h"
#include "data/ElementTable.h"

namespace {

// Atoms whose counts the bond record holds (a record built for fewer atoms covers fewer).
int32_t CountedAtoms(const ATOMS_DATA& frame, const BOND_INFO& bonds) {
  return static_cast<int32_t>(std::min(static_cast<size_t>(std::max(frame.atomCount, 0)), bonds.counts.size()));
}

}  // namespace

std::array<int32_t, 8> CoordinationHistogram(const ATOMS_DATA& frame, const BOND_INFO& bonds) {
  std::array<int32_t, 8> bins{};
  const int32_t n = CountedAtoms(frame, bonds);
  for (int32_t i = 0; i < n; ++i) ++bins[std::clamp(bonds.counts[i], 0, 7)];
  return bins;
}

int WriteCoordinationFile(const std::string& path, const ATOMS_DATA& frame, const BOND_INFO& bonds) {
  if (bonds.bondCount == 0) return 0;
  FILE* f = qv::OpenReportFile(path);
  if (!f) return -1;
  std::fprintf(f, "#index, Z, coordination\n");
  const int32_t n = CountedAtoms(frame, bonds);
  const bool numbers = frame.atomicNumbers.size() >= static_cast<size_t>(n);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t z = numbers ? frame.atomicNumbers[i] : 0;
    std::fprintf(f, "%d\t%s\t%d\n", i, qv::ElementSymbolOrUnknown(z), bonds.counts[i]);
  }
  return qv::CloseReportFile(f) == 0 ? 1 : -2;
}

int WriteCoordinationSeries(const std::string& path, IMDContainer& md, int& currentFrame, int frameSkip,
                            const std::function<int(int)>& setFrameAll) {
  FILE* f = qv::OpenReportFile(path);
  if (!f) return -1;
  std::fprintf(f, "#frame, num_atoms, coord0, 1, 2, 3, 4, 5, 6, more\n");
  int lines = 0;
  for (;;) {
    ATOMS_DATA* frame = md.GetCurrentFrame();
    if (!frame) break;
    BOND_INFO* bonds = md.GetBonds();
    if (!bonds) break;
    const auto b = CoordinationHistogram(*frame, *bonds);
    std::fprintf(f, "%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\n", lines, frame->atomCount, b[0], b[1], b[2],
                 b[3], b[4], b[5], b[6], b[7]);
    ++lines;
    std::this_thread::yield();
    const int before = currentFrame;
    // Saturated: a huge skip must reach past the end, not wrap round to frame 0.
    const int target = frameSkip > 0 && currentFrame > INT_MAX - frameSkip ? INT_MAX : currentFrame + frameSkip;
    currentFrame = setFrameAll(target);
    if (currentFrame < target || currentFrame <= before) break;
  }
  return qv::CloseReportFile(f) == 0 ? lines : -2;
}

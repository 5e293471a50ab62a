#include <cstdio>
#include <string>

#include "tools/qvtool/QvTool.h"

// Bonds of the selected frame, built as the viewer builds them (the container's cut-off,
// the "Periodic" setting).
int CmdBonds(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  IMDContainer* md = app.dataSets.First()->MD();
  ATOMS_DATA* frame = md ? md->GetCurrentFrame() : nullptr;
  BOND_INFO* bonds = frame ? md->GetBonds() : nullptr;
  if (!bonds) {
    std::fprintf(stderr, "qvtool bonds: the first data set is not a trajectory with atoms\n");
    return 1;
  }
  const bool json = args.Flag("json"), list = args.Flag("list");
  const int n = static_cast<int>(std::min(static_cast<size_t>(std::max(frame->atomCount, 0)), bonds->counts.size()));
  if (json) {
    std::printf("{\"bonds\":%d,\"counts\":[", bonds->bondCount);
    for (int i = 0; i < n; ++i) std::printf(i ? ",%d" : "%d", bonds->counts[i]);
    std::printf("]");
    if (list) {
      std::printf(",\"entries\":[");
      for (int e = 0; e < bonds->bondCount; ++e) {
        const BOND_ENTRY& b = bonds->entries[e];
        std::printf("%s[%d,%d,%s,%s,%s]", e ? "," : "", b.i, b.j, qvtool::Num(b.dx).c_str(),
                    qvtool::Num(b.dy).c_str(), qvtool::Num(b.dz).c_str());
      }
      std::printf("]");
    }
    std::printf("}\n");
    return 0;
  }
  std::printf("bonds %d\n", bonds->bondCount);
  for (int i = 0; i < n; ++i) std::printf("%d %d\n", i, bonds->counts[i]);
  if (list) {
    for (int e = 0; e < bonds->bondCount; ++e) {
      const BOND_ENTRY& b = bonds->entries[e];
      std::printf("%d %d %s %s %s\n", b.i, b.j, qvtool::Num(b.dx).c_str(), qvtool::Num(b.dy).c_str(),
                  qvtool::Num(b.dz).c_str());
    }
  }
  return 0;
}

#include <cstdio>
#include <string>

#include "tools/qvtool/OutputBuffer.h"
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
  qvtool::OutputBuffer out;
  // Over a frame range: one JSON object per line, or one block per frame after its number.
  if (json) {
    out.Put('{');
    if (args.ranged) out.Put("\"frame\":").Int(app.currentFrame).Put(',');
    out.Put("\"bonds\":").Int(bonds->bondCount).Put(",\"counts\":[");
    for (int i = 0; i < n; ++i) {
      if (i) out.Put(',');
      out.Int(bonds->counts[i]);
    }
    out.Put(']');
    if (list) {
      out.Put(",\"entries\":[");
      for (int e = 0; e < bonds->bondCount; ++e) {
        const BOND_ENTRY& b = bonds->entries[e];
        out.Put(e ? ",[" : "[").Int(b.i).Put(',').Int(b.j).Put(',').Num(b.dx).Put(',').Num(b.dy);
        out.Put(',').Num(b.dz).Put(']');
      }
      out.Put(']');
    }
    out.Put("}\n");
    return 0;
  }
  if (args.ranged) out.Put("frame ").Int(app.currentFrame).Put('\n');
  out.Put("bonds ").Int(bonds->bondCount).Put('\n');
  out.IndexValueLines(bonds->counts.data(), n);
  if (list) {
    for (int e = 0; e < bonds->bondCount; ++e) {
      const BOND_ENTRY& b = bonds->entries[e];
      out.Int(b.i).Put(' ').Int(b.j).Put(' ').Num(b.dx).Put(' ').Num(b.dy).Put(' ').Num(b.dz);
      out.Put('\n');
    }
  }
  return 0;
}

// qvtool dump: the selected frame's atoms, one line each.
#include <cstdio>
#include <string>

#include "tools/qvtool/InfoKinds.h"
#include "tools/qvtool/InfoPolygon.h"
#include "tools/qvtool/OutputBuffer.h"
#include "tools/qvtool/InfoReplayKinds.h"
#include "tools/qvtool/QvTool.h"

int CmdDump(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  if (const int status = DumpReplayKinds(app, args); status >= 0) return status;
  if (int s = 0; qvtool::DumpScattering(app, args, s) || qvtool::DumpField(app, args, s)) return s;
  if (const int status = DumpPolygon(app, args); status >= 0) return status;
  const ATOMS_DATA* a = app.dataSets.First()->CurrentAtoms();
  if (!a) {
    std::fprintf(stderr, "qvtool dump: the first data set holds no atoms\n");
    return 1;
  }
  const size_t n = static_cast<size_t>(std::max(a->atomCount, 0));
  qvtool::OutputBuffer out;
  for (size_t i = 0; i < n && 3 * i + 2 < a->positions.size(); ++i) {
    const int z = i < a->atomicNumbers.size() ? a->atomicNumbers[i] : 0;
    const float* p = &a->positions[3 * i];
    out.Int(static_cast<int64_t>(i)).Put(' ').Int(z).Put(' ').Num(p[0]).Put(' ').Num(p[1]);
    out.Put(' ').Num(p[2]).Put('\n');
  }
  return 0;
}

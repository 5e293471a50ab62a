// qvtool info and dump of scattering trajectories.
#include <cstdio>
#include <vector>

#include "auxdata/scattering/BCALoader.h"
#include "tools/qvtool/InfoKinds.h"
#include "tools/qvtool/OutputBuffer.h"

namespace {

BCALoader* FirstScattering(Quivane& app) {
  LawData* first = app.dataSets.First();
  if (!first || first->type != kTypeScattering) return nullptr;
  return dynamic_cast<BCALoader*>(first->container.get());
}

}  // namespace

namespace qvtool {

bool InfoScattering(Quivane& app, const ParsedArgs& args, int& status) {
  BCALoader* b = FirstScattering(app);
  if (!b) return false;
  const BCAVisibleSet* v = b->GetVisibleSet();
  const long long visiblePaths = v ? v->pathCount : 0, visiblePoints = v ? v->pointCount : 0;
  double box[9], origin[3];
  b->GetBox(box, origin);
  const std::string frames = std::to_string(b->FrameCount());
  const std::string paths = std::to_string(b->PathCount());
  const std::string points = std::to_string(b->PointCount());
  const std::string steps = std::to_string(b->StepCount());
  const std::string index = std::to_string(b->CurrentStep());
  std::string out;
  if (args.Flag("json")) {
    out = "{\"type\":2,\"frames\":" + frames + ",\"paths\":" + paths + ",\"points\":" + points +
          ",\"steps\":" + steps + ",\"box\":" + JsonNumbers(box, 9) +
          ",\"origin\":" + JsonNumbers(origin, 3) + ",\"frame\":{\"index\":" + index +
          ",\"visible_paths\":" + std::to_string(visiblePaths) +
          ",\"visible_points\":" + std::to_string(visiblePoints) + "}}\n";
  } else {
    out = "file: " + app.dataSets.First()->path + "\ntype: 2\nframes: " + frames +
          "\npaths: " + paths + "\npoints: " + points + "\nsteps: " + steps + "\nbox " +
          TextNumbers(box, 9) + "\norigin " + TextNumbers(origin, 3) + "\nframe " + index +
          ": visible paths " + std::to_string(visiblePaths) + ", visible points " +
          std::to_string(visiblePoints) + "\n";
  }
  Print(out);
  status = 0;
  return true;
}

bool DumpScattering(Quivane& app, const ParsedArgs&, int& status) {
  BCALoader* b = FirstScattering(app);
  if (!b) return false;
  status = 0;
  const BCAVisibleSet* v = b->GetVisibleSet();
  if (!v || !v->indices) return true;
  const std::vector<int32_t>& lengths = b->PathLengths();
  OutputBuffer out;
  size_t path = 0, pathEnd = lengths.empty() ? 0 : static_cast<size_t>(lengths[0]);
  const uint32_t* idx = v->indices;
  for (int64_t p = 0; p < v->pathCount; ++p) {
    // Visible runs come in path order: advance to the path holding the run's first point.
    while (idx[0] >= pathEnd && path + 1 < lengths.size()) pathEnd += static_cast<size_t>(lengths[++path]);
    for (uint32_t k = 0; k < v->counts[p]; ++k) {
      const uint32_t i = idx[k];
      const float* q = v->points + 3 * static_cast<size_t>(i);
      out.Int(static_cast<int64_t>(path)).Put(' ').Num(q[0]).Put(' ').Num(q[1]).Put(' ');
      out.Num(q[2]).Put(' ').Int(b->Steps()[i]).Put('\n');
    }
    idx += v->counts[p];
  }
  return true;
}

}  // namespace qvtool

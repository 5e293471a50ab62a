// qvtool info and dump of lattice event data.
#include <cstdio>
#include <vector>

#include "auxdata/lmc/LatticeTypes.h"
#include "tools/qvtool/InfoReplayKinds.h"

int InfoLattice(Quivane& app, const ParsedArgs& args) {
  const LawData& entry = *app.dataSets.First();
  const LMC_Holder& h = *qv::LatticeOf(entry);
  const size_t s = static_cast<size_t>(h.SpeciesCount());
  std::vector<long long> totals(s, 0);
  long long occupied = 0;
  const auto& occ = h.Occupancy();
  for (size_t cell = 0; s && cell < occ.size() / s; ++cell) {
    bool any = false;
    for (size_t k = 0; k < s; ++k) {
      const int v = occ[cell * s + k];
      totals[k] += v;
      any = any || v != 0;
    }
    occupied += any;
  }
  double box[9], origin[3];
  h.GetBox(box, origin);
  const int frames = h.StepCount() + 1;
  std::string out;
  if (args.Flag("json")) {
    out = "{\"type\":" + std::to_string(entry.type) + ",\"frames\":" + std::to_string(frames) +
          ",\"box\":" + qvtool::JsonNumbers(box, 9) + ",\"origin\":" + qvtool::JsonNumbers(origin, 3) +
          ",\"grid\":[" + std::to_string(h.nx) + "," + std::to_string(h.ny) + "," + std::to_string(h.nz) +
          "],\"species\":[";
    for (size_t k = 0; k < s; ++k) out += (k ? "," : "") + qvtool::JsonString(h.Species()[k]);
    out += "],\"steps\":" + std::to_string(h.StepCount()) + ",\"events\":" + std::to_string(h.Events().size()) +
           ",\"frame\":{\"index\":" + std::to_string(h.AppliedSteps()) +
           ",\"occupied_cells\":" + std::to_string(occupied) + ",\"counts\":{";
    for (size_t k = 0; k < s; ++k) {
      out += (k ? "," : "") + qvtool::JsonString(h.Species()[k]) + ":" + std::to_string(totals[k]);
    }
    out += "}}}\n";
  } else {
    out = qvtool::TextHead(entry, frames) + "grid: " + std::to_string(h.nx) + " " + std::to_string(h.ny) +
          " " + std::to_string(h.nz) + "\nsteps: " + std::to_string(h.StepCount()) +
          "\nevents: " + std::to_string(h.Events().size()) + "\nframe " + std::to_string(h.AppliedSteps()) +
          ": occupied cells " + std::to_string(occupied) + "\n  counts";
    for (size_t k = 0; k < s; ++k) out += " " + h.Species()[k] + ":" + std::to_string(totals[k]);
    out += "\n";
  }
  qvtool::Flush(out, true);
  return 0;
}

int DumpLattice(Quivane& app) {
  const LMC_Holder& h = *qv::LatticeOf(*app.dataSets.First());
  const size_t s = static_cast<size_t>(h.SpeciesCount());
  const auto& occ = h.Occupancy();
  std::string out;
  char line[128];
  size_t i = 0;
  for (int z = 0; z < h.nz; ++z) {
    for (int y = 0; y < h.ny; ++y) {
      for (int x = 0; x < h.nx; ++x) {
        for (size_t k = 0; k < s && i < occ.size(); ++k, ++i) {
          if (occ[i] == 0) continue;
          const int n = std::snprintf(line, sizeof line, "%d %d %d ", x, y, z);
          out.append(line, static_cast<size_t>(n));
          out += h.Species()[k];
          out += " " + std::to_string(occ[i]) + "\n";
          qvtool::Flush(out, false);
        }
      }
    }
  }
  qvtool::Flush(out, true);
  return 0;
}

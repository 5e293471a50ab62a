// qvtool info and dump of gridded point data.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "auxdata/vmec/GridPointTypes.h"
#include "tools/qvtool/InfoReplayKinds.h"

int InfoGridPoints(Quivane& app, const ParsedArgs& args) {
  const LawData& entry = *app.dataSets.First();
  const VMEC_Repository& v = *qv::GridPointsOf(entry);
  const int q = v.Quantities();
  const size_t stride = static_cast<size_t>(v.Stride());
  double lo[3] = {NAN, NAN, NAN}, hi[3] = {NAN, NAN, NAN};
  const auto& pts = v.Points();
  for (size_t i = 0; i + stride <= pts.size(); i += stride) {
    for (int k = 0; k < q; ++k) {
      const double x = pts[i + 3 + static_cast<size_t>(k)];
      if (!std::isfinite(x)) continue;
      lo[k] = std::isnan(lo[k]) ? x : std::min(lo[k], x);
      hi[k] = std::isnan(hi[k]) ? x : std::max(hi[k], x);
    }
  }
  double box[9], origin[3];
  v.GetBox(box, origin);
  const int frames = std::max(v.FrameCount(), 1);
  std::string out;
  if (args.Flag("json")) {
    out = "{\"type\":" + std::to_string(entry.type) + ",\"frames\":" + std::to_string(frames) +
          ",\"box\":" + qvtool::JsonNumbers(box, 9) + ",\"origin\":" + qvtool::JsonNumbers(origin, 3) +
          ",\"grids\":[";
    for (int k = 0; k < 4; ++k) out += (k ? "," : "") + std::to_string(v.grids[k]);
    out += "],\"points\":" + std::to_string(v.PointCount()) + ",\"quantities\":" + std::to_string(q) +
           ",\"ramp\":[";
    for (int k = 0; k < q; ++k) {
      const double r[2] = {v.ramp[k][0], v.ramp[k][1]};
      out += (k ? "," : "") + qvtool::JsonNumbers(r, 2);
    }
    out += "],\"alpha\":" + qvtool::JsonNumber(v.alpha) + ",\"frame\":{\"index\":" +
           std::to_string(v.Frame()) + ",\"min\":" + qvtool::JsonNumbers(lo, q) +
           ",\"max\":" + qvtool::JsonNumbers(hi, q) + "}}\n";
  } else {
    out = qvtool::TextHead(entry, frames) + "grids:";
    for (int k = 0; k < 4; ++k) out += " " + std::to_string(v.grids[k]);
    out += "\npoints: " + std::to_string(v.PointCount()) + "\nquantities: " + std::to_string(q) +
           "\nalpha: " + qvtool::Num(v.alpha) + "\n";
    for (int k = 0; k < q; ++k) {
      out += "quantity " + std::to_string(k + 1) + ": ramp " + qvtool::Num(v.ramp[k][0]) + " " +
             qvtool::Num(v.ramp[k][1]) + ", frame " + std::to_string(v.Frame()) + " min " +
             qvtool::Num(lo[k]) + " max " + qvtool::Num(hi[k]) + "\n";
    }
  }
  qvtool::Flush(out, true);
  return 0;
}

int DumpGridPoints(Quivane& app) {
  const VMEC_Repository& v = *qv::GridPointsOf(*app.dataSets.First());
  const size_t stride = static_cast<size_t>(v.Stride());
  const auto& pts = v.Points();
  std::string out;
  char num[32];
  for (size_t i = 0; i + stride <= pts.size(); i += stride) {
    for (size_t k = 0; k < stride; ++k) {
      const int n = std::snprintf(num, sizeof num, k ? " %.9g" : "%.9g", static_cast<double>(pts[i + k]));
      out.append(num, static_cast<size_t>(n));
    }
    out += '\n';
    qvtool::Flush(out, false);
  }
  qvtool::Flush(out, true);
  return 0;
}

// qvtool info: what a file holds, frame by frame, stepping as the viewer does.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "tools/qvtool/InfoKinds.h"
#include "tools/qvtool/QvTool.h"

namespace {

struct FrameSummary {
  int index = 0;
  int atoms = 0;
  double box[9] = {};
  double origin[3] = {};
  std::vector<std::pair<int, long long>> elements;  // in order of first appearance
};

FrameSummary Summarize(const ATOMS_DATA& a) {
  FrameSummary s;
  s.index = a.index;
  s.atoms = a.atomCount;
  std::copy(a.box, a.box + 9, s.box);
  std::copy(a.origin, a.origin + 3, s.origin);
  if (!a.HasAtomicNumbers()) return s;
  // Most atomic numbers are small: look them up by table, the rest by search.
  constexpr int kTable = 256;
  int slotOf[kTable];
  std::fill(slotOf, slotOf + kTable, -1);
  const size_t n = std::min(a.atomicNumbers.size(), static_cast<size_t>(std::max(a.atomCount, 0)));
  for (size_t i = 0; i < n; ++i) {
    const int z = a.atomicNumbers[i];
    int slot = -1;
    if (z >= 0 && z < kTable) {
      slot = slotOf[z];
    } else {
      for (size_t k = 0; k < s.elements.size(); ++k) {
        if (s.elements[k].first == z) slot = static_cast<int>(k);
      }
    }
    if (slot < 0) {
      slot = static_cast<int>(s.elements.size());
      s.elements.emplace_back(z, 0);
      if (z >= 0 && z < kTable) slotOf[z] = slot;
    }
    ++s.elements[static_cast<size_t>(slot)].second;
  }
  return s;
}

std::string JsonNum(double v) { return std::isfinite(v) ? qvtool::Num(v) : "null"; }

std::string JsonArray(const double* v, int n) {
  std::string s = "[";
  for (int i = 0; i < n; ++i) s += (i ? "," : "") + JsonNum(v[i]);
  return s + "]";
}

std::string TextList(const double* v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + qvtool::Num(v[i]);
  return s;
}

}  // namespace

int CmdInfo(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  LawData& first = *app.dataSets.First();
  if (int s = 0; qvtool::InfoScattering(app, args, s) || qvtool::InfoField(app, args, s)) return s;
  // Every frame is listed, whatever --frame selected.
  if (app.currentFrame != 0) app.currentFrame = app.SetFrameAll(0);

  std::vector<FrameSummary> frames;
  int frameCount = 0;
  for (;;) {
    if (first.type == kTypeMD) {
      const ATOMS_DATA* a = first.CurrentAtoms();
      if (!a) break;
      frames.push_back(Summarize(*a));
    }
    ++frameCount;
    const int want = app.currentFrame + 1;
    const int got = app.SetFrameAll(want);
    if (got != want) break;
    app.currentFrame = got;
  }
  if (first.type == kTypeMD) frameCount = static_cast<int>(frames.size());

  std::string out;
  if (args.Flag("json")) {
    out = "{\"type\":" + std::to_string(first.type) + ",\"frames\":" + std::to_string(frameCount) +
          ",\"frame_list\":[";
    for (size_t f = 0; f < frames.size(); ++f) {
      const FrameSummary& s = frames[f];
      out += f ? "," : "";
      out += "{\"index\":" + std::to_string(s.index) + ",\"atoms\":" + std::to_string(s.atoms) +
             ",\"box\":" + JsonArray(s.box, 9) + ",\"origin\":" + JsonArray(s.origin, 3) +
             ",\"elements\":{";
      for (size_t k = 0; k < s.elements.size(); ++k) {
        out += (k ? ",\"" : "\"") + std::to_string(s.elements[k].first) +
               "\":" + std::to_string(s.elements[k].second);
      }
      out += "}}";
    }
    out += "]}\n";
  } else {
    out = "file: " + first.path + "\ntype: " + std::to_string(first.type) +
          "\nframes: " + std::to_string(frameCount) + "\n";
    for (const FrameSummary& s : frames) {
      out += "frame " + std::to_string(s.index) + ": atoms " + std::to_string(s.atoms) +
             "\n  box " + TextList(s.box, 9) + "\n  origin " + TextList(s.origin, 3) +
             "\n  elements";
      for (const auto& [z, count] : s.elements) {
        out += " " + std::to_string(z) + ":" + std::to_string(count);
      }
      out += "\n";
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

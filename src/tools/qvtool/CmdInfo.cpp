// qvtool info: what a file holds, frame by frame, stepping as the viewer does.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "data/MDLoader.h"
#include "tools/qvtool/InfoKinds.h"
#include "tools/qvtool/InfoPolygon.h"
#include "tools/qvtool/OutputBuffer.h"
#include "tools/qvtool/InfoReplayKinds.h"
#include "tools/qvtool/QvTool.h"

namespace {

struct FrameSummary {
  int index = 0;
  int atoms = 0;
  int step = 0;
  double box[9] = {};
  double origin[3] = {};
  std::vector<std::pair<int, long long>> elements;  // in order of first appearance
};

FrameSummary Summarize(const ATOMS_DATA& a) {
  FrameSummary s;
  s.index = a.index;
  s.atoms = a.atomCount;
  s.step = a.step;
  std::copy(a.box, a.box + 9, s.box);
  std::copy(a.origin, a.origin + 3, s.origin);
  if (!a.HasAtomicNumbers()) return s;
  // Most atomic numbers are small: they are counted by table (four tables, taken in turn, so
  // that runs of one element do not wait on one counter), the rest by search.
  constexpr int kTable = 256;
  int slotOf[kTable];
  std::fill(slotOf, slotOf + kTable, -1);
  std::vector<long long> counted(4 * kTable, 0);
  const int32_t* zs = a.atomicNumbers.data();
  const size_t n = std::min(a.atomicNumbers.size(), static_cast<size_t>(std::max(a.atomCount, 0)));
  for (size_t i = 0; i < n; ++i) {
    const int z = zs[i];
    if (z >= 0 && z < kTable) {
      if (slotOf[z] < 0) {
        slotOf[z] = static_cast<int>(s.elements.size());
        s.elements.emplace_back(z, 0);
      }
      ++counted[(i & 3) * kTable + static_cast<size_t>(z)];
      continue;
    }
    size_t slot = 0;
    while (slot < s.elements.size() && s.elements[slot].first != z) ++slot;
    if (slot == s.elements.size()) s.elements.emplace_back(z, 0);
    ++s.elements[slot].second;
  }
  for (auto& [z, total] : s.elements)
    if (z >= 0 && z < kTable)
      for (size_t k = 0; k < 4; ++k) total += counted[k * kTable + static_cast<size_t>(z)];
  return s;
}

}  // namespace

int CmdInfo(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  if (const int status = InfoReplayKinds(app, args); status >= 0) return status;
  if (const int status = InfoPolygon(app, args); status >= 0) return status;
  LawData& first = *app.dataSets.First();
  if (int s = 0; qvtool::InfoScattering(app, args, s) || qvtool::InfoField(app, args, s)) return s;
  // Every frame is listed, whatever --frame selected.
  if (app.currentFrame != 0) app.currentFrame = app.SetFrameAll(0);

  std::vector<FrameSummary> frames;
  int frameCount = 0;
  // Engine dumps carry the simulation timestep of each frame; other files number frames.
  const auto* md = dynamic_cast<const MDLoader*>(first.MD());
  const bool timesteps = md && md->FormatCode() == MDLoader::kFormatLammps;
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

  qvtool::OutputBuffer out;
  if (args.Flag("json")) {
    out.Put("{\"type\":").Int(first.type).Put(",\"frames\":").Int(frameCount).Put(",\"frame_list\":[");
    for (size_t f = 0; f < frames.size(); ++f) {
      const FrameSummary& s = frames[f];
      out.Put(f ? ",{\"index\":" : "{\"index\":").Int(s.index).Put(",\"atoms\":").Int(s.atoms);
      if (timesteps) out.Put(",\"timestep\":").Int(s.step);
      out.Put(",\"box\":[");
      for (int k = 0; k < 9; ++k) (k ? out.Put(',') : out).JsonNum(s.box[k]);
      out.Put("],\"origin\":[");
      for (int k = 0; k < 3; ++k) (k ? out.Put(',') : out).JsonNum(s.origin[k]);
      out.Put("],\"elements\":{");
      for (size_t k = 0; k < s.elements.size(); ++k) {
        out.Put(k ? ",\"" : "\"").Int(s.elements[k].first).Put("\":").Int(s.elements[k].second);
      }
      out.Put("}}");
    }
    out.Put("]}\n");
  } else {
    out.Put("file: ").Put(first.path).Put("\ntype: ").Int(first.type).Put("\nframes: ").Int(frameCount);
    out.Put('\n');
    for (const FrameSummary& s : frames) {
      out.Put("frame ").Int(s.index).Put(": atoms ").Int(s.atoms);
      if (timesteps) out.Put(", timestep ").Int(s.step);
      out.Put("\n  box ");
      for (int k = 0; k < 9; ++k) (k ? out.Put(' ') : out).Num(s.box[k]);
      out.Put("\n  origin ");
      for (int k = 0; k < 3; ++k) (k ? out.Put(' ') : out).Num(s.origin[k]);
      out.Put("\n  elements");
      for (const auto& [z, count] : s.elements) out.Put(' ').Int(z).Put(':').Int(count);
      out.Put('\n');
    }
  }
  return 0;
}

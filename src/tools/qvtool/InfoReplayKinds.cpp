#include "tools/qvtool/InfoReplayKinds.h"

#include <cmath>
#include <cstdio>

int InfoReplayKinds(Quivane& app, const ParsedArgs& args) {
  switch (app.dataSets.First()->type) {
    case kTypeLattice: return InfoLattice(app, args);
    case kTypeParticleEvents: return InfoParticleEvents(app, args);
    case kTypeGridPoints: return InfoGridPoints(app, args);
    default: return -1;
  }
}

int DumpReplayKinds(Quivane& app, const ParsedArgs&) {
  switch (app.dataSets.First()->type) {
    case kTypeLattice: return DumpLattice(app);
    case kTypeParticleEvents: return DumpParticleEvents(app);
    case kTypeGridPoints: return DumpGridPoints(app);
    default: return -1;
  }
}

namespace qvtool {

std::string JsonNumber(double v) { return std::isfinite(v) ? Num(v) : "null"; }

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonNumbers(const double* v, int n) {
  std::string s = "[";
  for (int i = 0; i < n; ++i) s += (i ? "," : "") + JsonNumber(v[i]);
  return s + "]";
}

void Flush(std::string& out, bool force) {
  if (!force && out.size() < (1u << 20)) return;
  std::fwrite(out.data(), 1, out.size(), stdout);
  out.clear();
}

std::string TextHead(const LawData& entry, int frames) {
  return "file: " + entry.path + "\ntype: " + std::to_string(entry.type) +
         "\nframes: " + std::to_string(frames) + "\n";
}

}  // namespace qvtool

#pragma once
// info and dump of the data-set kinds that hold no atoms. Each returns false when the first
// data set is not its kind; otherwise it prints and sets the exit status.
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/qvtool/QvTool.h"

namespace qvtool {
bool InfoScattering(Quivane& app, const ParsedArgs& args, int& status);
bool DumpScattering(Quivane& app, const ParsedArgs& args, int& status);
bool InfoField(Quivane& app, const ParsedArgs& args, int& status);
bool DumpField(Quivane& app, const ParsedArgs& args, int& status);

// A JSON number (%.9g), null when not finite; arrays of them.
inline std::string JsonNumber(double v) { return std::isfinite(v) ? Num(v) : "null"; }
inline std::string JsonNumbers(const double* v, int n) {
  std::string s = "[";
  for (int i = 0; i < n; ++i) s += (i ? "," : "") + JsonNumber(v[i]);
  return s + "]";
}
inline std::string TextNumbers(const double* v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += (i ? " " : "") + Num(v[i]);
  return s;
}
inline void Print(const std::string& out) { std::fwrite(out.data(), 1, out.size(), stdout); }
}  // namespace qvtool

#include "app/Title.h"

#include <cstdio>

#include "data/AtomsData.h"
#include "data/ElementTable.h"

namespace qv::cmd {

const char* PacingModeName(int mode) {
  static const char* const names[] = {"full", "vsync", "eco", "manual"};
  return mode >= 0 && mode < 4 ? names[mode] : "?";
}

namespace {
std::string Format(const char* fmt, auto... args) {
  const int n = std::snprintf(nullptr, 0, fmt, args...);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), fmt, args...);
  s.resize(static_cast<size_t>(n));
  return s;
}
}  // namespace

std::string FormatTitle(const TitleInputs& in) {
  const std::string name(in.fileName);
  if (!in.editMode)
    return Format("%s - %s: %d, %.3ffps(%s)", kProgramTitle, name.c_str(), in.currentFrame, in.fps,
                  PacingModeName(in.pacingMode));
  const ATOMS_DATA* f = in.frame;
  const int i = in.selectedAtom;
  const bool valid = f && i >= 0 && i < f->atomCount &&
                     f->positions.size() >= 3 * static_cast<size_t>(i) + 3;
  if (!valid) return Format("%s - %s: [edit] no-selected", kProgramTitle, name.c_str());
  const size_t u = static_cast<size_t>(i);
  const int z = u < f->atomicNumbers.size() ? f->atomicNumbers[u] : -1;
  const char* symbol = qv::ElementSymbol(z);
  if (!symbol) symbol = "?";
  return Format("%s - %s: [edit] %d-%s:%.6lf,%.6lf,%.6lf", kProgramTitle, name.c_str(), i, symbol,
                static_cast<double>(f->positions[3 * u]),
                static_cast<double>(f->positions[3 * u + 1]),
                static_cast<double>(f->positions[3 * u + 2]));
}

std::string FrameStatusText(int frame, int count, bool complete) {
  std::string text = "frame " + std::to_string(frame);
  if (count <= 0) return text;  // the container cannot tell
  return text + " / " + std::to_string(count) + (complete ? "" : "+");
}

}  // namespace qv::cmd

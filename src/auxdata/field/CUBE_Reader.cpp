// The text cube file: two comment lines, the atom count with the origin, three lines of a grid
// size with its voxel vector, the atom lines, then the values in any layout.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "auxdata/field/Field3DLoader.h"
#include "data/PodVector.h"
#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace {

// "%d %lf %lf %lf" of a header line.
bool HeaderLine(std::string_view line, int& count, double v[3]) {
  const char* p = line.data();
  const char* e = p + line.size();
  if (!(p = qv::scan::Int(p, e, count))) return false;
  for (int k = 0; k < 3; ++k) {
    if (!(p = qv::scan::Real(p, e, v[k]))) return false;
  }
  return true;
}

}  // namespace

int CUBE_Reader::Read(const std::string& path, Field3DLoader& loader) {
  const char* name = path.c_str();
  qv::LineReader lines;
  if (!lines.Open(path)) {
    std::printf("error: file cannot be opened\n%s\n", name);
    return -1;
  }
  std::string_view line;
  int count[4];
  double vec[4][3];
  for (int i = 0; i < 6; ++i) {
    if (!lines.Next(line)) {
      std::printf("%s: the header ends after %d of its six lines\n", name, i);
      return -2;
    }
    if (i >= 2 && !HeaderLine(line, count[i - 2], vec[i - 2])) {
      std::printf("%s: line %d: expected a count and three numbers\n", name, i + 1);
      return -2;
    }
  }
  const int nx = count[1], ny = count[2], nz = count[3];
  if (nx <= 0 || ny <= 0 || nz <= 0) {
    std::printf("%s: grid %d x %d x %d is not positive\n", name, nx, ny, nz);
    return -3;
  }
  // A negative atom count announces a line after the atoms naming the data sets stored.
  const int atoms = count[0];
  const int64_t skip = atoms < 0 ? -static_cast<int64_t>(atoms) + 1 : atoms;
  for (int64_t i = 0; i < skip; ++i) {
    if (!lines.Next(line)) {
      std::printf("%s: the file ends within the %lld lines of atoms\n", name,
                  static_cast<long long>(skip));
      return -4;
    }
  }
  // Every value takes at least one character and a separator.
  const int64_t plane = int64_t{nx} * ny;
  const int64_t cells = plane <= Field3DLoader::kMaxCells ? plane * nz : INT64_MAX;
  const int64_t room = static_cast<int64_t>((lines.BytesLeft() + 1) / 2);
  if (cells > Field3DLoader::kMaxCells || cells > room) {
    std::printf("%s: grid %d x %d x %d needs more values than the file can hold\n", name, nx, ny,
                nz);
    return -5;
  }
  qv::PodVector<float> values(static_cast<size_t>(cells));
  int64_t got = 0;
  while (lines.Next(line)) {
    const char* p = line.data();
    const char* e = p + line.size();
    for (;;) {
      p = qv::scan::SkipSpace(p, e);
      if (p == e) break;
      double v = 0;
      const char* q = qv::scan::Real(p, e, v);
      if (!q || (q < e && !qv::scan::IsSpace(*q))) {
        std::printf("%s: line %lld: \"%.*s\" is not a number\n", name,
                    static_cast<long long>(lines.LineNumber()),
                    static_cast<int>(qv::scan::SkipWord(p, e) - p), p);
        return -6;
      }
      if (got == cells) {
        std::printf("%s: more than the %lld values of the grid\n", name,
                    static_cast<long long>(cells));
        return -7;
      }
      values[static_cast<size_t>(got++)] = static_cast<float>(v);
      p = q;
    }
  }
  if (lines.TooLong()) return -6;
  if (got != cells) {
    std::printf("%s: %lld values where the grid has %lld cells\n", name,
                static_cast<long long>(got), static_cast<long long>(cells));
    return -7;
  }
  float lo = 1e10f, hi = 0;
  for (float v : values) {
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  auto frame = std::make_unique<FieldFrame>();
  frame->nx = nx, frame->ny = ny, frame->nz = nz;
  frame->valueMin = lo, frame->valueMax = hi;
  frame->cells.resize(4 * static_cast<size_t>(cells));
  // A field of one value has no range to spread: every cell takes the bottom colour.
  const double range = double{hi} - double{lo};
  const bool spread = range > 0 && std::isfinite(range);
  for (size_t i = 0; i < values.size(); ++i) {
    const double v = spread ? (double{values[i]} - lo) / range : 0.0;
    qv::FieldColor(v, &frame->cells[4 * i]);
  }
  for (int k = 0; k < 3; ++k) {
    frame->origin[k] = vec[0][k];
    frame->box[k] = nx * vec[1][k];
    frame->box[3 + k] = ny * vec[2][k];
    frame->box[6 + k] = nz * vec[3][k];
  }
  loader.AddFrame(std::move(frame));
  std::printf("%d frame loaded\n", loader.FrameCount());
  return 0;
}

#include "output/EpsWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

using qv::cam::Mat4;
using qv::cam::Vec3;

namespace {

// PostScript interpreters keep device coordinates in fixed point: a path point or radius
// much beyond 1e5 points fails with a limit error. Lines are clipped to a guard band this
// far outside the figure, and discs or widths beyond it (an atom touching the eye) are not
// drawn.
constexpr double kGuard = 10000.0;
constexpr double kMaxRadius = 10000.0;
constexpr double kMaxLineWidth = 10000.0;

constexpr EpsColor kDefaultPink{1.000, 0.080, 0.590};
constexpr EpsColor kBlack{0, 0, 0};
constexpr EpsColor kBondColor{0.2, 0.6, 0.6};

// Writes through a buffer; with no file everything stays in the buffer.
class Sink {
 public:
  explicit Sink(FILE* file, std::string& buffer) : file_(file), buf_(buffer) {}

  void Text(const char* s) { buf_ += s; }
  void Line(const char* s) {
    buf_ += s;
    buf_ += "\r\n";
    MaybeFlush();
  }
  void Num(double v) { AppendEpsNumber(buf_, v); }
  void Nums(std::initializer_list<double> values, const char* op) {
    bool first = true;
    for (double v : values) {
      if (!first) buf_ += ' ';
      first = false;
      Num(v);
    }
    buf_ += ' ';
    Line(op);
  }

  bool Finish() {
    if (file_) Flush();
    return ok_;
  }

 private:
  void MaybeFlush() {
    if (file_ && buf_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (ok_ && !buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), file_) != buf_.size()) {
      ok_ = false;
    }
    buf_.clear();
  }

  FILE* file_;
  std::string& buf_;
  bool ok_ = true;
};

void LineWidth(Sink& s, double w) {
  s.Nums({std::clamp(w, -kMaxLineWidth, kMaxLineWidth)}, "setlinewidth");
}

void Segment(Sink& s, double x1, double y1, double x2, double y2, EpsColor c) {
  s.Line("gsave");
  s.Nums({x1, y1}, "moveto");
  s.Nums({x2, y2}, "lineto");
  s.Nums({c.r, c.g, c.b}, "setrgbcolor");
  s.Line("stroke");
  s.Line("grestore");
}

void Disc(Sink& s, double cx, double cy, double radius, EpsColor c) {
  s.Line("gsave");
  s.Line("newpath");
  s.Nums({cx, cy, radius, 0.0, 360.0}, "arc");
  s.Line("closepath");
  s.Nums({c.r, c.g, c.b}, "setrgbcolor");
  s.Line("fill");
  s.Line("newpath");
  s.Nums({cx, cy, radius, 0.0, 360.0}, "arc");
  s.Line("closepath");
  s.Nums({0.0, 0.0, 0.0}, "setrgbcolor");
  s.Line("stroke");
  s.Line("grestore");
}

struct Clip {
  double x, y, z, w;
};

Clip Project(const Mat4& m, Vec3 p) {
  const auto c = qv::cam::Transform(m, p);
  return {c[0], c[1], c[2], c[3]};
}

// Figure coordinates from normalised device coordinates.
struct Figure {
  double k;
  double X(double ndcX) const { return (ndcX + 1) * 100; }
  double Y(double ndcY) const { return (ndcY + 1) * k; }
  // The guard band in normalised device coordinates.
  double xLo() const { return -1 - kGuard / 100; }
  double xHi() const { return 1 + kGuard / 100; }
  double yLo() const { return -1 - kGuard / k; }
  double yHi() const { return 1 + kGuard / k; }
};

// Liang-Barsky on linear functions that must stay non-negative along a + t (b - a).
// fa[i], fb[i]: the functions at both ends. Narrows [t0, t1]; false when nothing is left.
bool ClipInterval(const double* fa, const double* fb, int count, double& t0, double& t1) {
  for (int i = 0; i < count; ++i) {
    if (fa[i] < 0 && fb[i] < 0) return false;
    if (fa[i] < 0) t0 = std::max(t0, fa[i] / (fa[i] - fb[i]));
    if (fb[i] < 0) t1 = std::min(t1, fa[i] / (fa[i] - fb[i]));
    if (!(t0 <= t1)) return false;
  }
  return true;
}

// A 2-D segment in normalised device coordinates, cut to the guard band.
bool ClipNdc(const Figure& fig, double& x1, double& y1, double& x2, double& y2) {
  const double fa[4] = {x1 - fig.xLo(), fig.xHi() - x1, y1 - fig.yLo(), fig.yHi() - y1};
  const double fb[4] = {x2 - fig.xLo(), fig.xHi() - x2, y2 - fig.yLo(), fig.yHi() - y2};
  double t0 = 0, t1 = 1;
  if (!ClipInterval(fa, fb, 4, t0, t1)) return false;
  const double dx = x2 - x1, dy = y2 - y1;
  const double ax = x1, ay = y1;
  if (t0 > 0) {
    x1 = ax + t0 * dx;
    y1 = ay + t0 * dy;
  }
  if (t1 < 1) {
    x2 = ax + t1 * dx;
    y2 = ay + t1 * dy;
  }
  return true;
}

// A segment between clip-space points, cut to the guard band before the division, so that
// edges passing behind the eye are drawn only where they are in front of it.
bool ClipHomogeneous(const Figure& fig, Clip a, Clip b, double& x1, double& y1, double& x2,
                     double& y2) {
  const double fa[4] = {a.x - fig.xLo() * a.w, fig.xHi() * a.w - a.x, a.y - fig.yLo() * a.w,
                        fig.yHi() * a.w - a.y};
  const double fb[4] = {b.x - fig.xLo() * b.w, fig.xHi() * b.w - b.x, b.y - fig.yLo() * b.w,
                        fig.yHi() * b.w - b.y};
  double t0 = 0, t1 = 1;
  if (!ClipInterval(fa, fb, 4, t0, t1)) return false;
  auto at = [&](double t) -> Clip {
    if (t <= 0) return a;
    if (t >= 1) return b;
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
            a.w + t * (b.w - a.w)};
  };
  const Clip p = at(t0), q = at(t1);
  if (!(p.w > 0) || !(q.w > 0)) return false;
  x1 = p.x / p.w;
  y1 = p.y / p.w;
  x2 = q.x / q.w;
  y2 = q.y / q.w;
  return std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2);
}

void BoxEdge(Sink& s, const Figure& fig, const Clip corners[8], int from, int to) {
  double x1, y1, x2, y2;
  if (!ClipHomogeneous(fig, corners[from], corners[to], x1, y1, x2, y2)) return;
  Segment(s, fig.X(x1), fig.Y(y1), fig.X(x2), fig.Y(y2), kBlack);
}

struct Projected {
  double x, y, z, w;  // normalised device coordinates and clip w
  bool valid;         // in front of the eye and finite
};

Projected ToNdc(Clip c) {
  Projected p{c.x / c.w, c.y / c.w, c.z / c.w, c.w, false};
  p.valid = c.w > 0 && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z) &&
            std::isfinite(c.w);
  return p;
}

void WriteScene(Sink& s, const EpsInput& in, const Figure& fig) {
  const CameraGL& cam = in.camera;
  const Mat4 m = qv::cam::Multiply(cam.ProjectionGL(in.projection, in.width, in.height),
                                   cam.ViewMatrixGL());
  const EpsSettings& set = in.settings;

  // Box corners; corner number i0 + 2 i1 + 4 i2.
  const double* bx = in.box;
  Clip corners[8];
  int far = -1;
  double farZ = 0;
  for (int c = 0; c < 8; ++c) {
    const double i0 = c & 1, i1 = (c >> 1) & 1, i2 = (c >> 2) & 1;
    const Vec3 p{in.origin[0] + i0 * bx[0] + i1 * bx[3] + i2 * bx[6],
                 in.origin[1] + i0 * bx[1] + i1 * bx[4] + i2 * bx[7],
                 in.origin[2] + i0 * bx[2] + i1 * bx[5] + i2 * bx[8]};
    corners[c] = Project(m, p);
    // Only corners in front of the eye have a depth to compare.
    const Projected q = ToNdc(corners[c]);
    if (q.valid && (far < 0 || q.z > farZ)) {
      far = c;
      farZ = q.z;
    }
  }
  const double boxWidth = far >= 0 ? set.boxLineSize / corners[far].w * 100 : 0;
  if (far >= 0) {
    LineWidth(s, boxWidth);
    for (int bit : {1, 2, 4}) BoxEdge(s, fig, corners, far, far ^ bit);
  }

  // Atoms.
  const ATOMS_DATA* f = in.frame;
  int32_t n = 0;
  if (f) n = std::max(0, std::min<int32_t>(f->atomCount, static_cast<int32_t>(f->positions.size() / 3)));
  const float* pos = n > 0 ? f->positions.data() : nullptr;
  const bool numbers = f && f->atomicNumbers.size() >= static_cast<size_t>(n);
  std::vector<Projected> ndc(static_cast<size_t>(n));
  std::vector<int32_t> order;
  order.reserve(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    ndc[i] = ToNdc(Project(m, {pos[3 * i], pos[3 * i + 1], pos[3 * i + 2]}));
    // Atoms behind the eye have no place in the picture.
    if (ndc[i].valid) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return ndc[a].z < ndc[b].z; });

  // Up to twelve neighbours per atom from the half list: even slot values are the bond's
  // i side (neighbour at i + d), odd ones its j side (neighbour at j - d).
  const BOND_INFO* bonds = in.bonds;
  std::vector<int32_t> slots;
  std::vector<uint8_t> used;
  if (bonds && bonds->bondCount > 0 && n > 0) {
    slots.resize(static_cast<size_t>(n) * kEpsMaxNeighbours);
    used.assign(static_cast<size_t>(n), 0);
    const int32_t count =
        std::min<int64_t>(bonds->bondCount, static_cast<int64_t>(bonds->entries.size()));
    for (int32_t b = 0; b < count; ++b) {
      const BOND_ENTRY& e = bonds->entries[b];
      if (e.i < 0 || e.i >= n || e.j < 0 || e.j >= n) continue;
      if (used[e.i] < kEpsMaxNeighbours) slots[e.i * kEpsMaxNeighbours + used[e.i]++] = 2 * b;
      if (used[e.j] < kEpsMaxNeighbours) slots[e.j * kEpsMaxNeighbours + used[e.j]++] = 2 * b + 1;
    }
  }

  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const int32_t i = *it;
    const Projected& a = ndc[i];
    if (!(std::fabs(a.x) <= 1 && std::fabs(a.y) <= 1)) continue;
    const double radius = set.atomSize / a.w * 100;
    if (!(radius >= 0 && radius <= kMaxRadius)) continue;
    LineWidth(s, 0.2 / a.w * 100);
    Disc(s, fig.X(a.x), fig.Y(a.y), radius, EpsElementColor(numbers ? f->atomicNumbers[i] : 0));
    LineWidth(s, set.bondSize / a.w * 100);
    if (used.empty()) continue;
    for (int k = 0; k < used[i]; ++k) {
      const int32_t code = slots[i * kEpsMaxNeighbours + k];
      const BOND_ENTRY& e = bonds->entries[code / 2];
      const double sign = (code & 1) ? -1.0 : 1.0;
      const int32_t other = (code & 1) ? e.i : e.j;
      const Vec3 self{pos[3 * i], pos[3 * i + 1], pos[3 * i + 2]};
      const Vec3 d{sign * e.dx, sign * e.dy, sign * e.dz};
      const Vec3 image = self + d;
      const Vec3 otherPos{pos[3 * other], pos[3 * other + 1], pos[3 * other + 2]};
      // A bond inside the box points at the neighbour itself; one across a periodic face
      // points at the neighbour's image beside this atom.
      const double tol = 1e-3 * std::max(1.0, qv::cam::Length(d));
      const Vec3 gap = image - otherPos;
      const Projected nb = qv::cam::Dot(gap, gap) <= tol * tol ? ndc[other] : ToNdc(Project(m, image));
      if (!nb.valid) continue;
      const double dx = nb.x - a.x, dy = nb.y - a.y, dz = nb.z - a.z;
      const double dist = std::sqrt(dx * dx + dy * dy + dz * dz);
      if (!(dist > 0)) continue;
      const double t = set.atomSize / a.w / 2 / dist;
      double x1 = a.x + dx * t, y1 = a.y + dy * t, x2 = nb.x, y2 = nb.y;
      if (!ClipNdc(fig, x1, y1, x2, y2)) continue;
      Segment(s, fig.X(x1), fig.Y(y1), fig.X(x2), fig.Y(y2), kBondColor);
    }
  }

  if (far >= 0) {
    LineWidth(s, boxWidth);
    for (int c : {far ^ 3, far ^ 5, far ^ 6}) {
      for (int bit : {1, 2, 4}) BoxEdge(s, fig, corners, c, c ^ bit);
    }
  }
}

bool Write(Sink& s, const EpsInput& in) {
  if (in.width <= 0 || in.height <= 0) return false;
  const Figure fig{100.0 * in.height / in.width};
  const long long boxHeight = static_cast<long long>(in.height) * 200 / in.width;
  s.Line("%!PS-Adobe-3.0 EPSF-3.0");
  s.Line("%%Creator: outEPS ver.0");
  s.Line("%%Title: gh1");
  s.Line("%%DocumentFonts: (atend)");
  const std::string bbox = "%%BoundingBox: 0 0 200 " + std::to_string(boxHeight);
  s.Line(bbox.c_str());
  s.Line("%%Orientation: Portrait");
  s.Line("%%EndComments");
  s.Line("/mydict 120 dict def");
  s.Line("mydict begin");
  s.Line("");
  s.Line("gsave");
  WriteScene(s, in, fig);
  s.Line("stroke");
  s.Line("grestore");
  s.Line("end");
  s.Line("showpage");
  s.Line("%%Trailer");
  s.Line("%%EOF");
  return true;
}

}  // namespace

EpsColor EpsElementColor(int z) {
  switch (z) {
    case 0: return {0.200, 0.800, 0.800};
    case 1: return {1.000, 1.000, 1.000};
    case 6: return {0.470, 0.470, 0.470};
    case 7: return {0.560, 0.560, 1.000};
    case 8: return {1.000, 0.000, 0.000};
    case 11: return {0.000, 0.000, 1.000};
    case 15: return {1.000, 0.500, 0.000};
    case 16: return {1.000, 1.000, 0.200};
    case 17: return {0.000, 1.000, 0.000};
    case 20: return {0.200, 0.300, 0.300};
    default: return kDefaultPink;
  }
}

void AppendEpsNumber(std::string& out, double v) {
  char buf[400];
  char* end = buf;
  // Fast path: v * 1000 rounded to the nearest integer is the printed value unless v lies so
  // close to a rounding tie that the product's own rounding could decide it; those few go
  // through the exact conversion.
  const double scaled = v * 1000.0;
  if (std::fabs(scaled) < 1e15) {
    const double lower = std::floor(scaled);
    const double frac = scaled - lower;
    if (std::fabs(frac - 0.5) > 1e-6) {
      long long q = static_cast<long long>(lower) + (frac > 0.5 ? 1 : 0);
      const bool negative = std::signbit(v);  // printf keeps the sign of -0.0004 and -0.0
      unsigned long long m = static_cast<unsigned long long>(q < 0 ? -q : q);
      char digits[24];
      int nd = 0;
      do {
        digits[nd++] = static_cast<char>('0' + m % 10);
        m /= 10;
      } while (m != 0 || nd < 4);
      if (negative) *end++ = '-';
      for (int i = nd - 1; i >= 3; --i) *end++ = digits[i];
      *end++ = '.';
      for (int i = 2; i >= 0; --i) *end++ = digits[i];
    } else {
      end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3).ptr;
    }
  } else {
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
    // Only infinities and NaN could fail, and none is ever passed.
    end = r.ec == std::errc() ? r.ptr : buf + std::snprintf(buf, sizeof buf, "%.3f", v);
  }
  const size_t len = static_cast<size_t>(end - buf);
  if (len < 8) out.append(8 - len, ' ');
  out.append(buf, len);
}

std::string EpsFileName(const std::string& basePath, int frameIndex) {
  return basePath + std::to_string(frameIndex) + ".eps";
}

bool FormatEps(const EpsInput& input, std::string& out) {
  out.clear();
  Sink s(nullptr, out);
  if (!Write(s, input)) {
    out.clear();
    return false;
  }
  return true;
}

int WriteEps(const std::string& path, const EpsInput& input) {
  if (input.width <= 0 || input.height <= 0) return kEpsEmptyView;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return kEpsCannotCreate;
  std::string buffer;
  buffer.reserve((1u << 20) + 4096);
  Sink s(f, buffer);
  Write(s, input);
  const bool ok = s.Finish();
  if (std::fclose(f) != 0 || !ok) {
    std::remove(path.c_str());
    return kEpsWriteFailed;
  }
  return kEpsOk;
}

#include "rendering/Camera.h"

#include <algorithm>
#include <cmath>

namespace qv::cam {

namespace {
double MaxAbs(Vec3 a) { return std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)}); }
}  // namespace

bool IsFinite(Vec3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

// Scaled first, so that neither huge nor tiny components overflow or underflow the squares.
double Length(Vec3 a) {
  const double m = MaxAbs(a);
  if (!(m > 0) || !std::isfinite(m)) return std::isfinite(m) ? 0.0 : m;
  const Vec3 b = (1.0 / m) * a;
  return m * std::sqrt(Dot(b, b));
}

bool TryNormalise(Vec3 a, Vec3& out) {
  const double m = MaxAbs(a);
  if (!(m > 0) || !std::isfinite(m)) return false;
  Vec3 b{a.x / m, a.y / m, a.z / m};
  const double len = std::sqrt(Dot(b, b));
  if (!(len > 0)) return false;
  out = (1.0 / len) * b;
  return IsFinite(out);
}

Vec3 Rotate(Vec3 a, Vec3 k, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  // v cos + (k x v) sin + k (k.v)(1 - cos)
  return c * a + s * Cross(k, a) + (Dot(k, a) * (1.0 - c)) * k;
}

Mat4 Multiply(const Mat4& a, const Mat4& b) {
  Mat4 r{};
  for (int c = 0; c < 4; ++c) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[c * 4 + k];
      r[c * 4 + row] = sum;
    }
  }
  return r;
}

std::array<double, 4> Transform(const Mat4& m, Vec3 p) {
  std::array<double, 4> r{};
  for (int row = 0; row < 4; ++row) {
    r[row] = m[0 * 4 + row] * p.x + m[1 * 4 + row] * p.y + m[2 * 4 + row] * p.z + m[3 * 4 + row];
  }
  return r;
}

Mat4 FrustumMatrix(double l, double r, double b, double t, double n, double f) {
  Mat4 m{};
  m[0] = 2 * n / (r - l);
  m[5] = 2 * n / (t - b);
  m[8] = (r + l) / (r - l);
  m[9] = (t + b) / (t - b);
  m[10] = -(f + n) / (f - n);
  m[11] = -1;
  m[14] = -2 * f * n / (f - n);
  return m;
}

Mat4 OrthoMatrix(double l, double r, double b, double t, double n, double f) {
  Mat4 m{};
  m[0] = 2 / (r - l);
  m[5] = 2 / (t - b);
  m[10] = -2 / (f - n);
  m[12] = -(r + l) / (r - l);
  m[13] = -(t + b) / (t - b);
  m[14] = -(f + n) / (f - n);
  m[15] = 1;
  return m;
}

}  // namespace qv::cam

using qv::cam::Cross;
using qv::cam::Dot;
using qv::cam::IsFinite;
using qv::cam::Length;
using qv::cam::Mat4;
using qv::cam::Rotate;
using qv::cam::TryNormalise;
using qv::cam::Vec3;

namespace {

constexpr double kPi = 3.14159265358979323846;
// Camera distances outside this range cannot be projected without overflow or underflow
// in the clip-plane products; operations that would leave it are refused.
constexpr double kMinDistance = 1e-100;
constexpr double kMaxDistance = 1e100;
// A perspective near plane must lie in front of the eye; cross-section steps that would
// put it on or behind the eye stop here.
constexpr double kMinPerspectiveNearFactor = 1e-3;

bool AllFinite(const Mat4& m) {
  return std::all_of(m.begin(), m.end(), [](double v) { return std::isfinite(v); });
}

Mat4 Identity() {
  Mat4 m{};
  m[0] = m[5] = m[10] = m[15] = 1;
  return m;
}

// A camera state every matrix can be built from.
bool Usable(Vec3 eye, Vec3 target, Vec3 up) {
  if (!IsFinite(eye) || !IsFinite(target) || !IsFinite(up)) return false;
  const double d = Length(target - eye);
  Vec3 u;
  return d >= kMinDistance && d <= kMaxDistance && TryNormalise(up, u);
}

double FiniteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// Moves eye and target together by `by`, unless that would leave an unusable camera.
void Translate(Vec3& eye, Vec3& target, Vec3 up, Vec3 by) {
  const Vec3 t = target + by;
  const Vec3 e = eye + by;
  if (!Usable(e, t, up)) return;
  target = t;
  eye = e;
}

}  // namespace

void CameraGL::ViewBasis(Vec3& f, Vec3& s, Vec3& u) const {
  if (!TryNormalise(target - eye, f)) f = {0, 1, 0};
  if (!TryNormalise(up - Dot(up, f) * f, u)) {
    // Up along the view (or unusable): take the world axis least aligned with the view.
    const Vec3 axes[3] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    const Vec3* best = &axes[0];
    for (const Vec3& a : axes) {
      if (std::fabs(Dot(a, f)) < std::fabs(Dot(*best, f))) best = &a;
    }
    TryNormalise(*best - Dot(*best, f) * f, u);
  }
  s = Cross(f, u);
}

Mat4 CameraGL::ViewMatrix() const {
  Vec3 f, s, u;
  ViewBasis(f, s, u);
  Mat4 m{};
  const Vec3 rows[3] = {s, u, f};
  for (int r = 0; r < 3; ++r) {
    m[0 * 4 + r] = rows[r].x;
    m[1 * 4 + r] = rows[r].y;
    m[2 * 4 + r] = rows[r].z;
    m[3 * 4 + r] = -Dot(rows[r], eye);
  }
  m[15] = 1;
  if (!AllFinite(m)) return CameraGL{}.ViewMatrix();
  return m;
}

void CameraGL::ViewMatrix(double out[16]) const {
  const Mat4 m = ViewMatrix();
  std::copy(m.begin(), m.end(), out);
}

Mat4 CameraGL::ViewMatrixGL() const {
  Mat4 m = ViewMatrix();
  for (int c = 0; c < 4; ++c) m[c * 4 + 2] = -m[c * 4 + 2];
  return m;
}

double CameraGL::Distance() const { return Length(target - eye); }

void CameraGL::FitToData(const double box[9], const double origin[3]) {
  static const double kCube[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  static const double kZero[3] = {0, 0, 0};
  if (!box) {
    box = kCube;
    origin = kZero;
  }
  if (!origin) origin = kZero;
  const double size = 2 * std::max({box[0], box[4], box[8]});
  const double centre[3] = {origin[0] + (box[0] + box[3] + box[6]) / 2,
                            origin[1] + (box[1] + box[4] + box[7]) / 2,
                            origin[2] + (box[2] + box[5] + box[8]) / 2};
  FitToBounds(size, centre);
}

void CameraGL::FitToBounds(double size, const double centre[3]) {
  Vec3 c{centre[0], centre[1], centre[2]};
  if (!IsFinite(c)) c = {5, 5, 5};
  // A flat or empty box (a frame without cell vectors) would put the eye on the target;
  // such data are framed like data without a box.
  if (!std::isfinite(size) || std::fabs(size) < kMinDistance || std::fabs(size) > kMaxDistance) {
    size = 20;
  }
  const Vec3 e = c - Vec3{0, size, 0};
  if (!Usable(e, c, {0, 0, 1})) {
    // Coordinates so large that the distance is lost to rounding.
    CameraGL fresh;
    fresh.viewAngle = viewAngle;
    fresh.nearFactor = nearFactor;
    fresh.farFactor = farFactor;
    fresh.sectionStep = sectionStep;
    *this = fresh;
    return;
  }
  target = c;
  eye = e;
  up = {0, 0, 1};
}

bool CameraGL::Place(Vec3 newEye, Vec3 newTarget, Vec3 newUp) {
  Vec3 u;
  if (!Usable(newEye, newTarget, newUp) || !TryNormalise(newUp, u)) return false;
  eye = newEye;
  target = newTarget;
  up = u;
  return true;
}

void CameraGL::BeginDrag() {
  dragTarget = target;
  dragUp = up;
  dragView = target - eye;
  dragDistance = Length(dragView);
  if (!TryNormalise(Cross(dragView, up), dragRight)) {
    Vec3 f, u;
    ViewBasis(f, dragRight, u);
  }
}

int CameraGL::DragPan(int dx, int dy, int width, int height) {
  if ((dx == 0 && dy == 0) || height <= 0) return 0;
  const double k = 2 * TanViewAngle() * dragDistance / height;
  const double h = dx * k;
  const double v = -dy * k;
  const Vec3 t = dragTarget - h * dragRight - v * dragUp;
  const Vec3 e = t - dragView;
  if (!Usable(e, t, dragUp)) return 0;
  target = t;
  eye = e;
  up = dragUp;
  return 1;
}

int CameraGL::DragRotate(int dx, int dy, int width, int height) {
  if ((dx == 0 && dy == 0) || width <= 0 || height <= 0) return 0;
  const double ddx = dx;
  const double ddy = -static_cast<double>(dy);  // up the screen is positive
  Vec3 axis;
  if (!TryNormalise((ddy / height) * dragRight - (ddx / height) * dragUp, axis)) return 0;
  const double angle = std::sqrt(ddx * ddx + ddy * ddy) / std::max(width, height) * kPi;
  const Vec3 r = Rotate(-dragView, axis, angle);
  const Vec3 u = Rotate(dragUp, axis, angle);
  const Vec3 e = dragTarget + r;
  if (!Usable(e, dragTarget, u)) return 0;
  target = dragTarget;
  eye = e;
  up = u;
  return 1;
}

void CameraGL::Zoom(double steps) {
  if (steps == 0 || !std::isfinite(steps)) return;
  const double a = -0.1 * steps;
  const double factor = a > 0 ? 1 + a : 1 / (1 - a);
  const Vec3 e = target + factor * (eye - target);
  if (Usable(e, target, up)) eye = e;
}

void CameraGL::OrbitUp(double angle) {
  Vec3 axis;
  if (!TryNormalise(up, axis)) {
    Vec3 f, s;
    ViewBasis(f, s, axis);
  }
  const Vec3 e = target + Rotate(eye - target, axis, angle);
  if (Usable(e, target, up)) eye = e;
}

void CameraGL::OrbitRight(double angle) {
  const Vec3 r = eye - target;
  Vec3 axis;
  if (!TryNormalise(Cross(up, r), axis)) {
    Vec3 f, u;
    ViewBasis(f, axis, u);
  }
  const Vec3 e = target + Rotate(r, axis, -angle);
  const Vec3 u = Rotate(up, axis, -angle);
  if (!Usable(e, target, u)) return;
  eye = e;
  up = u;
}

void CameraGL::ShiftRight(double amount) {
  Vec3 s;
  if (!TryNormalise(Cross(up, eye - target), s)) {
    Vec3 f, u;
    ViewBasis(f, s, u);
  }
  Translate(eye, target, up, amount * s);
}

void CameraGL::ShiftUp(double amount) {
  Vec3 u;
  if (!TryNormalise(up, u)) {
    Vec3 f, s;
    ViewBasis(f, s, u);
  }
  Translate(eye, target, up, amount * u);
}

void CameraGL::SetSectionStep(int n) {
  sectionStep = n;
  nearFactor = 1.0 - n / 40.0;
}

void CameraGL::MoveSectionToCentre() {
  sectionStep = 0;
  nearFactor = 1.0;
}

void CameraGL::ResetClipping() {
  nearFactor = kDefaultNearFactor;
  farFactor = kDefaultFarFactor;
}

bool CameraGL::ApplyOrientation(const double m[9]) {
  Vec3 u, dir;
  if (!TryNormalise({m[1], m[4], m[7]}, u) || !TryNormalise({m[2], m[5], m[8]}, dir)) {
    return false;
  }
  const Vec3 e = target + Distance() * dir;
  if (!Usable(e, target, u)) return false;
  up = u;
  eye = e;
  return true;
}

double CameraGL::TanViewAngle() const {
  const double t = std::tan(viewAngle);
  if (viewAngle > 0 && viewAngle < kPi / 2 && t >= 1e-6 && t <= 1e6) return t;
  return std::tan(kDefaultViewAngleDegrees * kPi / 180.0);
}

double CameraGL::SafeDistance(double distance) const {
  if (!std::isfinite(distance) || distance < kMinDistance) {
    const double own = Distance();
    distance = own >= kMinDistance && own <= kMaxDistance ? own : 1.0;
  }
  return std::min(distance, kMaxDistance);
}

double CameraGL::NearPlane(int mode, double distance) const {
  const double d = SafeDistance(distance);
  const double nf = FiniteOr(nearFactor, kDefaultNearFactor);
  if (mode == kOrthographic) return d * nf;
  return d * std::max(nf, kMinPerspectiveNearFactor);
}

double CameraGL::FarPlane(int mode, double distance) const {
  const double d = SafeDistance(distance);
  // Far must stay beyond near or the depth mapping divides by zero.
  const double gap = d * 1e-6;
  const double n = NearPlane(mode, distance);
  return std::max(d * FiniteOr(farFactor, kDefaultFarFactor), n + gap);
}

CameraGL::Frustum CameraGL::Bounds(int mode, int fullWidth, int fullHeight, int x, int y, int w,
                                   int h, double distance, bool yFromTop) const {
  const double fw = std::max(fullWidth, 1);
  const double fh = std::max(fullHeight, 1);
  const double sw = std::max(w, 1);
  const double sh = std::max(h, 1);
  const double d = SafeDistance(distance);
  const double t = TanViewAngle();
  Frustum fr{};
  fr.zNear = NearPlane(mode, d);
  fr.zFar = FarPlane(mode, d);
  const double hh = mode == kOrthographic ? t * d : t * fr.zNear;
  const double hw = hh * fw / fh;
  fr.left = hw * (2 * x / fw - 1);
  fr.right = fr.left + 2 * hw * sw / fw;
  if (yFromTop) {
    fr.top = hh * (1 - 2 * y / fh);
    fr.bottom = fr.top - 2 * hh * sh / fh;
  } else {
    fr.bottom = hh * (2 * y / fh - 1);
    fr.top = fr.bottom + 2 * hh * sh / fh;
  }
  return fr;
}

Mat4 CameraGL::ProjectionGL(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                            double distance) const {
  const Frustum f = Bounds(mode, fullWidth, fullHeight, x, y, w, h, distance, false);
  const Mat4 m = mode == kOrthographic
                     ? qv::cam::OrthoMatrix(f.left, f.right, f.bottom, f.top, f.zNear, f.zFar)
                     : qv::cam::FrustumMatrix(f.left, f.right, f.bottom, f.top, f.zNear, f.zFar);
  return AllFinite(m) ? m : Identity();
}

Mat4 CameraGL::ProjectionDX(int mode, int fullWidth, int fullHeight, int x, int y, int w, int h,
                            double distance) const {
  const Frustum f = Bounds(mode, fullWidth, fullHeight, x, y, w, h, distance, true);
  const double l = f.left, r = f.right, b = f.bottom, t = f.top, n = f.zNear;
  Mat4 m{};
  if (mode == kOrthographic) {
    const double gap = SafeDistance(distance) * 1e-6;
    const double farDx = std::max(f.zFar / 5, n + gap);
    m[0] = 2 / (r - l);
    m[12] = -(r + l) / (r - l);
    m[5] = 2 / (t - b);
    m[13] = -(t + b) / (t - b);
    m[10] = 1 / (farDx - n);
    m[14] = -n / (farDx - n);
    m[15] = 1;
  } else {
    const double F = f.zFar;
    m[0] = 2 * n / (r - l);
    m[8] = -(r + l) / (r - l);
    m[5] = 2 * n / (t - b);
    m[9] = -(t + b) / (t - b);
    m[10] = F / (F - n);
    m[14] = -n * F / (F - n);
    m[11] = 1;
  }
  return AllFinite(m) ? m : Identity();
}

Mat4 CameraGL::ProjectionGL(int mode, int width, int height) const {
  return ProjectionGL(mode, width, height, 0, 0, width, height, Distance());
}

Mat4 CameraGL::ProjectionDX(int mode, int width, int height) const {
  return ProjectionDX(mode, width, height, 0, 0, width, height, Distance());
}

int CameraGL::PickAtom(int x, int y, int width, int height, const float* positions,
                       int32_t count, double radius) const {
  if (width <= 0 || height <= 0 || !positions || count <= 0) return -1;
  Vec3 bf, bs, bu;
  ViewBasis(bf, bs, bu);
  Vec3 u, s;
  if (!TryNormalise(up, u)) u = bu;
  const Vec3 f = target - eye;
  if (!TryNormalise(Cross(f, u), s)) s = bs;
  const double k = Length(f) * TanViewAngle();
  const double nx = 2.0 * x / width - 1;
  const double ny = -(2.0 * y / height - 1);
  Vec3 r;
  if (!TryNormalise(f + (static_cast<double>(width) / height * k * nx) * s + (k * ny) * u, r)) {
    return -1;
  }
  int best = -1;
  double bestD2 = 0;
  for (int32_t i = 0; i < count; ++i) {
    const Vec3 p{positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]};
    const Vec3 q = p - eye;
    const double along = Dot(q, r);
    // Atoms behind the eye are on the line but not on the ray, and not on the screen.
    if (!(along > 0)) continue;
    const double d2 = Dot(q, q) - along * along;
    if (best < 0 || d2 < bestD2) {
      best = i;
      bestD2 = d2;
    }
  }
  if (best < 0 || !(bestD2 <= radius * radius)) return -1;
  return best;
}

void UICamera::BeginDrag(int x, int y) {
  anchorX = x;
  anchorY = y;
  camera.BeginDrag();
}

int UICamera::DragPan(int x, int y, int width, int height) {
  return camera.DragPan(x - anchorX, y - anchorY, width, height);
}

int UICamera::DragRotate(int x, int y, int width, int height) {
  return camera.DragRotate(x - anchorX, y - anchorY, width, height);
}

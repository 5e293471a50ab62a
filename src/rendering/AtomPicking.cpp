#include "rendering/AtomPicking.h"

#include <cmath>

namespace qv {
namespace {
double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
}  // namespace

bool MakePickRay(const double eye[3], const double target[3], const double up[3],
                 double viewAngle, int width, int height, int x, int y, PickRay& ray) {
  if (width <= 0 || height <= 0) return false;
  const double f[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
  double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
  const double sl = std::sqrt(Dot(s, s));
  const double fl = std::sqrt(Dot(f, f));
  if (!(sl > 0.0) || !(fl > 0.0)) return false;
  for (double& c : s) c /= sl;
  const double k = fl * std::tan(viewAngle);
  const double nx = 2.0 * x / width - 1.0;
  const double ny = -(2.0 * y / height - 1.0);
  const double aspect = static_cast<double>(width) / height;
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = f[i] + s[i] * (aspect * k * nx) + up[i] * (k * ny);
  const double rl = std::sqrt(Dot(r, r));
  if (!(rl > 0.0) || !std::isfinite(rl)) return false;
  for (int i = 0; i < 3; ++i) {
    ray.origin[i] = eye[i];
    ray.direction[i] = r[i] / rl;
  }
  return true;
}

int PickAtom(const PickRay& ray, const float* positions, size_t atomCount, double radius, int current) {
  if (!positions || atomCount == 0) return current;
  double best = INFINITY;
  size_t bestIndex = 0;
  for (size_t i = 0; i < atomCount; ++i) {
    const double d[3] = {positions[3 * i] - ray.origin[0], positions[3 * i + 1] - ray.origin[1],
                         positions[3 * i + 2] - ray.origin[2]};
    const double along = Dot(d, ray.direction);
    const double dist2 = Dot(d, d) - along * along;
    if (dist2 < best) {
      best = dist2;
      bestIndex = i;
    }
  }
  return best <= radius * radius ? static_cast<int>(bestIndex) : current;
}

}  // namespace qv

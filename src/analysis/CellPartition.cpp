#include "analysis/CellPartition.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

bool Finite3(const double v[3]) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace

CellPartition::CellPartition(double size) : cellSize(size) {}

void CellPartition::SetOrthogonalBox(double x, double y, double z) {
  usable_ = std::isfinite(x) && std::isfinite(y) && std::isfinite(z) && x > 0 && y > 0 && z > 0;
  lx = x;
  ly = y;
  lz = z;
  invLx = x != 0 ? 1.0 / x : 0.0;
  invLy = y != 0 ? 1.0 / y : 0.0;
  invLz = z != 0 ? 1.0 / z : 0.0;
  for (auto& row : box) std::fill(row, row + 3, 0.0);
  box[0][0] = x;
  box[1][1] = y;
  box[2][2] = z;
  orthogonal = 1;
  const double thickness[3] = {x, y, z};
  ChooseCounts(thickness);
  for (auto& row : toCells_) std::fill(row, row + 3, 0.0);
  if (usable_) {
    toCells_[0][0] = nx * invLx;
    toCells_[1][1] = ny * invLy;
    toCells_[2][2] = nz * invLz;
  }
  RebuildShifts();
}

void CellPartition::SetTriclinicBox(const double m[3][3]) { SetTriclinicBox(m[0], m[1], m[2]); }

void CellPartition::SetTriclinicBox(const double a[3], const double b[3], const double c[3]) {
  double bc[3], ca[3], ab[3];
  Cross(b, c, bc);
  Cross(c, a, ca);
  Cross(a, b, ab);
  const double volume = Dot(a, bc);
  const double nbc = std::sqrt(Dot(bc, bc)), nca = std::sqrt(Dot(ca, ca)), nab = std::sqrt(Dot(ab, ab));
  const double scale = std::sqrt(Dot(a, a) * Dot(b, b) * Dot(c, c));
  // A flat or degenerate box has no usable cells; the threshold keeps the inverse sane.
  usable_ = Finite3(a) && Finite3(b) && Finite3(c) && std::isfinite(volume) &&
            std::fabs(volume) > 1e-12 * scale && nbc > 0 && nca > 0 && nab > 0;
  for (int k = 0; k < 3; ++k) {
    box[0][k] = a[k];
    box[1][k] = b[k];
    box[2][k] = c[k];
  }
  lx = a[0];
  ly = b[1];
  lz = c[2];
  invLx = lx != 0 ? 1.0 / lx : 0.0;
  invLy = ly != 0 ? 1.0 / ly : 0.0;
  invLz = lz != 0 ? 1.0 / lz : 0.0;
  orthogonal = 0;
  double thickness[3] = {0, 0, 0};
  if (usable_) {
    thickness[0] = std::fabs(volume) / nbc;
    thickness[1] = std::fabs(volume) / nca;
    thickness[2] = std::fabs(volume) / nab;
  }
  ChooseCounts(thickness);
  for (auto& row : toCells_) std::fill(row, row + 3, 0.0);
  if (usable_) {
    // Inverse of the box matrix from cofactors: column k of the inverse is (row cross
    // products) / volume; scaling column k by the cell count gives cell units.
    const int32_t n[3] = {nx, ny, nz};
    for (int r = 0; r < 3; ++r) {
      toCells_[r][0] = bc[r] / volume * n[0];
      toCells_[r][1] = ca[r] / volume * n[1];
      toCells_[r][2] = ab[r] / volume * n[2];
    }
  }
  RebuildShifts();
}

void CellPartition::ChooseCounts(const double thickness[3]) {
  for (int k = 0; k < 3; ++k) thickness_[k] = usable_ ? thickness[k] : 0.0;
  int64_t n[3] = {1, 1, 1};
  if (usable_) {
    // NaN, negative or sub-cell thickness: one cell. Infinite (cell size 0): the limit.
    auto countsAt = [&thickness](double size, int64_t out[3]) {
      for (int k = 0; k < 3; ++k) {
        const double q = thickness[k] / size;
        out[k] = q >= 1 ? static_cast<int64_t>(std::min(std::floor(q), static_cast<double>(INT32_MAX))) : 1;
      }
      return static_cast<double>(out[0]) * static_cast<double>(out[1]) * static_cast<double>(out[2]);
    };
    const double limit = static_cast<double>(std::min<int64_t>(cellLimit_, INT32_MAX));
    if (countsAt(cellSize, n) > limit) {
      // Too many cells: the narrowest cells of one width on every axis that fit, so they
      // stay evenly filled and keep at least the cell size. At the widest thickness every
      // count is 1, which always fits.
      double lo = cellSize, hi = std::max({thickness[0], thickness[1], thickness[2]});
      for (int step = 0; step < 200; ++step) {
        const double mid = lo > 0 ? lo + (hi - lo) / 2 : hi / 2;
        if (!(mid > lo && mid < hi)) break;
        int64_t m[3];
        (countsAt(mid, m) > limit ? lo : hi) = mid;
      }
      countsAt(hi, n);
    }
  }
  SetCellCounts(static_cast<int32_t>(n[0]), static_cast<int32_t>(n[1]), static_cast<int32_t>(n[2]));
}

int32_t CellPartition::SetCellCounts(int32_t x, int32_t y, int32_t z) {
  int64_t n[3] = {std::max(x, 1), std::max(y, 1), std::max(z, 1)};
  const int64_t limit = std::min<int64_t>(cellLimit_, INT32_MAX);
  // Wider cells still hold every neighbour within the cut-off in the adjacent cells. The
  // product is taken in double: three counts near INT32_MAX overflow any integer type.
  auto total = [&n] { return static_cast<double>(n[0]) * static_cast<double>(n[1]) * static_cast<double>(n[2]); };
  while (total() > static_cast<double>(limit)) {
    int64_t* largest = std::max_element(n, n + 3);
    *largest = std::max<int64_t>(1, *largest / 2);
  }
  if (n[0] == nx && n[1] == ny && n[2] == nz) return 0;
  nx = static_cast<int32_t>(n[0]);
  ny = static_cast<int32_t>(n[1]);
  nz = static_cast<int32_t>(n[2]);
  cellTotal = nx * ny * nz;
  return cellTotal;
}

void CellPartition::RebuildShifts() {
  static constexpr double t[3] = {0.0, 1.0, -1.0};
  for (int kz = 0; kz < 3; ++kz)
    for (int ky = 0; ky < 3; ++ky)
      for (int kx = 0; kx < 3; ++kx) {
        double* s = imageShift[ImageIndex(kx, ky, kz)];
        for (int d = 0; d < 3; ++d) s[d] = t[kx] * box[0][d] + t[ky] * box[1][d] + t[kz] * box[2][d];
      }
}

void CellPartition::CellCoordinates(int32_t count, const double* points, int32_t* cells) const {
  const UnitMap units = Units();
  for (int32_t i = 0; i < count; ++i) {
    const double* p = points + 3 * static_cast<size_t>(i);
    int32_t* c = cells + 3 * static_cast<size_t>(i);
    double u[3];
    units.Apply(p, u);
    for (int k = 0; k < 3; ++k) {
      if (!std::isfinite(u[k])) {
        c[0] = c[1] = c[2] = INT32_MIN;
        break;
      }
      // Clamped far beyond any grid so the conversion is defined; callers wrap or clamp.
      c[k] = static_cast<int32_t>(std::clamp(std::floor(u[k]), -1073741824.0, 1073741824.0));
    }
  }
}

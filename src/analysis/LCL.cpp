#include "analysis/LCL.h"

#include <algorithm>
#include <climits>
#include <cmath>

void LCL::PrepareHeads() {
  if (headCapacity < cellTotal || headCapacity > 2 * static_cast<int64_t>(cellTotal)) {
    head.assign(static_cast<size_t>(cellTotal), -1);
    head.shrink_to_fit();
    headCapacity = cellTotal;
  }
  std::fill(head.begin(), head.end(), -1);
}

void LCL::Build(int32_t count, double* points) {
  if (count <= 0) return;
  if (static_cast<int64_t>(head.size()) < cellTotal) PrepareHeads();
  if (count > pointCapacity) {
    nextInCell.resize(static_cast<size_t>(count));
    cellOfPoint.resize(static_cast<size_t>(count));
    cellCoords.resize(3 * static_cast<size_t>(count));
    pointCapacity = count;
  }
  CellCoordinates(count, points, cellCoords.data());
  const int32_t n[3] = {nx, ny, nz};
  for (int32_t i = 0; i < count; ++i) {
    int32_t* c = &cellCoords[3 * static_cast<size_t>(i)];
    if (c[0] == INT32_MIN) continue;
    if (!Usable()) {
      c[0] = c[1] = c[2] = 0;
      continue;
    }
    double* p = points + 3 * static_cast<size_t>(i);
    for (int k = 0; k < 3; ++k) {
      if (c[k] >= 0 && c[k] < n[k]) continue;
      // Whole box vectors, so a point far outside still lands inside the grid.
      const int32_t m = c[k] >= 0 ? c[k] / n[k] : -((-c[k] + n[k] - 1) / n[k]);
      for (int d = 0; d < 3; ++d) p[d] -= m * box[k][d];
      c[k] -= m * n[k];
    }
  }
  for (int32_t i = count - 1; i >= 0; --i) {
    const int32_t* c = &cellCoords[3 * static_cast<size_t>(i)];
    if (c[0] == INT32_MIN) {
      cellOfPoint[i] = -1;
      nextInCell[i] = -1;
      continue;
    }
    const int32_t k = (c[2] * ny + c[1]) * nx + c[0];
    cellOfPoint[i] = k;
    nextInCell[i] = head[k];
    head[k] = i;
  }
  builtCount_ = count;
}

int32_t LCL::Query(int32_t i, const double* points, double cutoff2, NEIGHBOR_ENTRY* out,
                   int32_t* selfPos, int32_t capacity) {
  if (i < 0 || i >= builtCount_ || cellOfPoint[i] < 0) {
    *selfPos = 0;
    return 0;
  }
  return Query(i, points + 3 * static_cast<size_t>(i), &cellCoords[3 * static_cast<size_t>(i)], points,
               cutoff2, out, selfPos, capacity);
}

int32_t LCL::Query(int32_t self, const double p[3], const int32_t cell[3], const double* points,
                   double cutoff2, NEIGHBOR_ENTRY* out, int32_t* selfPos, int32_t capacity) const {
  // Per axis and step (-1, 0, +1): the cell coordinate reached and its image digit.
  int32_t reach[3][3];
  int digit[3][3];
  const int32_t n[3] = {nx, ny, nz};
  for (int k = 0; k < 3; ++k) {
    const int32_t c = cell[k];
    reach[k][0] = c == 0 ? n[k] - 1 : c - 1;
    digit[k][0] = c == 0 ? 2 : 0;
    reach[k][1] = c;
    digit[k][1] = 0;
    reach[k][2] = c == n[k] - 1 ? 0 : c + 1;
    digit[k][2] = c == n[k] - 1 ? 1 : 0;
  }
  // Without a usable box there are no images: the single cell is the whole search.
  const int first = Usable() ? 0 : 1;
  const int last = Usable() ? 2 : 1;
  int32_t written = 0;
  int32_t selfAt = -1;
  for (int sz = first; sz <= last; ++sz) {
    for (int sy = first; sy <= last; ++sy) {
      for (int sx = first; sx <= last; ++sx) {
        const int32_t k = (reach[2][sz] * ny + reach[1][sy]) * nx + reach[0][sx];
        const bool centre = sx == 1 && sy == 1 && sz == 1;
        const double* s = imageShift[ImageIndex(digit[0][sx], digit[1][sy], digit[2][sz])];
        const double q[3] = {p[0] - s[0], p[1] - s[1], p[2] - s[2]};
        for (int32_t j = head[k]; j >= 0; j = nextInCell[j]) {
          if (centre && j == self) {
            selfAt = written;
            continue;
          }
          const double* pj = points + 3 * static_cast<size_t>(j);
          const double dx = q[0] - pj[0], dy = q[1] - pj[1], dz = q[2] - pj[2];
          const double d2 = dx * dx + dy * dy + dz * dz;
          if (d2 > cutoff2) continue;
          if (written >= capacity) return -1;
          out[written] = NEIGHBOR_ENTRY{j, dx, dy, dz, std::sqrt(d2)};
          ++written;
        }
      }
    }
  }
  *selfPos = selfAt >= 0 ? selfAt : written;
  return written;
}

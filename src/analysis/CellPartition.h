#pragma once
// A periodic box divided into cells at least one cell size wide (thick, for a triclinic box),
// with the table of the 27 image shifts of the neighbouring boxes.
#include <cstdint>

class CellPartition {
 public:
  explicit CellPartition(double cellSize);
  virtual ~CellPartition() = default;

  // Orthogonal box of the given lengths. The two names do the same.
  void SetOrthogonalBox(double lx, double ly, double lz);
  void SetBox(double lx, double ly, double lz) { SetOrthogonalBox(lx, ly, lz); }
  // Triclinic box from its three edge vectors (one per row of m).
  void SetTriclinicBox(const double a[3], const double b[3], const double c[3]);
  void SetTriclinicBox(const double m[3][3]);

  // Each count is clamped to at least 1. Returns 0 when nothing changed, else the new total.
  int32_t SetCellCounts(int32_t nx, int32_t ny, int32_t nz);

  // Cell coordinates (three per point) of points given relative to the box origin. Points
  // outside the box give coordinates outside the grid; non-finite points give INT32_MIN.
  void CellCoordinates(int32_t count, const double* points, int32_t* cells) const;

  // The map from a position to cell units, as a value. A caller's own copy stays in
  // registers in a loop whose stores the compiler would otherwise take to change the
  // partition's members, which it then reads again for every point.
  struct UnitMap {
    int32_t orthogonal;
    double scale[3];    // orthogonal: cell units per length along each axis
    double rows[3][3];  // triclinic: u = p * rows (p as a row vector)
    void Apply(const double p[3], double u[3]) const {
      if (orthogonal) {
        u[0] = scale[0] * p[0];
        u[1] = scale[1] * p[1];
        u[2] = scale[2] * p[2];
        return;
      }
      for (int k = 0; k < 3; ++k) u[k] = p[0] * rows[0][k] + p[1] * rows[1][k] + p[2] * rows[2][k];
    }
  };
  UnitMap Units() const {
    UnitMap m{orthogonal, {nx * invLx, ny * invLy, nz * invLz}, {}};
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m.rows[r][k] = toCells_[r][k];
    return m;
  }

  // Position of a point in cell units along the three axes (floor gives the cell).
  void CellUnits(const double p[3], double u[3]) const { Units().Apply(p, u); }

  // Distance between a cell's two faces across the axis (0 for an unusable box).
  double CellWidth(int axis) const {
    const int32_t n[3] = {nx, ny, nz};
    return thickness_[axis] / n[axis];
  }

  // A box is usable when it is finite and has a positive extent on every axis; otherwise
  // the grid is a single cell and the neighbour search sees no periodic images.
  bool Usable() const { return usable_; }

  // Upper bound on the cell total: beyond it the cells widen evenly, so a box much larger
  // than the cell size (or than its atoms need) gets wider cells instead of a grid that no
  // memory can hold. Takes effect at the next set-box call.
  void SetCellLimit(int64_t limit) { cellLimit_ = limit < 1 ? 1 : limit; }

  // Image shift index of the digits (0: none, 1: plus one box vector, 2: minus one).
  static int ImageIndex(int kx, int ky, int kz) { return 9 * kz + 3 * ky + kx; }

  int32_t cellTotal = 0;
  int32_t nx = 0, ny = 0, nz = 0;
  int32_t orthogonal = 1;
  double cellSize;
  double lx = 0, ly = 0, lz = 0;
  double invLx = 0, invLy = 0, invLz = 0;
  double box[3][3] = {};
  double imageShift[27][3] = {};

 private:
  void ChooseCounts(const double thickness[3]);
  void RebuildShifts();

  bool usable_ = false;
  double thickness_[3] = {0, 0, 0};
  int64_t cellLimit_ = int64_t{1} << 24;
  // Rows map a Cartesian point to cell units: u = p * toCells (p as a row vector).
  double toCells_[3][3] = {};
};

#pragma once
// Brute-force bond reference for the neighbour-search and bond tests: every pair, every
// periodic image up to two box vectors away on each axis.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/LCL.h"
#include "data/AtomsData.h"

namespace reftest {

struct Bond {
  int i, j;
  double v[3];  // from atom i to the bonded image of j
};

// i <= j; for an atom's bond with its own image the vector is the lexicographically larger
// of v and -v, so either half of a pair maps to the same form.
inline Bond Canonical(int i, int j, double x, double y, double z) {
  if (i > j || (i == j && std::make_tuple(x, y, z) < std::make_tuple(-x, -y, -z))) {
    std::swap(i, j);
    x = -x;
    y = -y;
    z = -z;
  }
  return Bond{i, j, {x, y, z}};
}

inline void SortBonds(std::vector<Bond>& b) {
  std::sort(b.begin(), b.end(), [](const Bond& l, const Bond& r) {
    return std::make_tuple(l.i, l.j, l.v[0], l.v[1], l.v[2]) < std::make_tuple(r.i, r.j, r.v[0], r.v[1], r.v[2]);
  });
}

// Positions (relative to the origin) wrapped into the box through fractional coordinates.
inline std::vector<double> Wrapped(const ATOMS_DATA& f, const double box[3][3], const double origin[3]) {
  const double* a = box[0];
  const double* b = box[1];
  const double* c = box[2];
  const double det = a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
                     a[2] * (b[0] * c[1] - b[1] * c[0]);
  double inv[3][3];  // inverse of the row matrix
  inv[0][0] = (b[1] * c[2] - b[2] * c[1]) / det;
  inv[0][1] = (a[2] * c[1] - a[1] * c[2]) / det;
  inv[0][2] = (a[1] * b[2] - a[2] * b[1]) / det;
  inv[1][0] = (b[2] * c[0] - b[0] * c[2]) / det;
  inv[1][1] = (a[0] * c[2] - a[2] * c[0]) / det;
  inv[1][2] = (a[2] * b[0] - a[0] * b[2]) / det;
  inv[2][0] = (b[0] * c[1] - b[1] * c[0]) / det;
  inv[2][1] = (a[1] * c[0] - a[0] * c[1]) / det;
  inv[2][2] = (a[0] * b[1] - a[1] * b[0]) / det;
  std::vector<double> out(3 * static_cast<size_t>(f.atomCount));
  for (int n = 0; n < f.atomCount; ++n) {
    double p[3], fr[3];
    for (int k = 0; k < 3; ++k) p[k] = static_cast<double>(f.positions[3 * n + k]) - origin[k];
    for (int k = 0; k < 3; ++k) {
      fr[k] = p[0] * inv[0][k] + p[1] * inv[1][k] + p[2] * inv[2][k];
      fr[k] -= std::floor(fr[k]);
    }
    for (int k = 0; k < 3; ++k) out[3 * n + k] = fr[0] * a[k] + fr[1] * b[k] + fr[2] * c[k];
  }
  return out;
}

// Every bond of a periodic frame (box rows from f.box), canonical and sorted; counts full.
inline std::vector<Bond> BruteForce(const ATOMS_DATA& f, double cutoff, std::vector<int>& counts) {
  double box[3][3];
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k) box[r][k] = f.box[3 * r + k];
  const std::vector<double> p = Wrapped(f, box, f.origin);
  counts.assign(static_cast<size_t>(f.atomCount), 0);
  std::vector<Bond> bonds;
  for (int i = 0; i < f.atomCount; ++i)
    for (int j = i; j < f.atomCount; ++j)
      for (int ka = -2; ka <= 2; ++ka)
        for (int kb = -2; kb <= 2; ++kb)
          for (int kc = -2; kc <= 2; ++kc) {
            if (i == j && (ka > 0 || (ka == 0 && (kb > 0 || (kb == 0 && kc >= 0))))) continue;
            double d[3];
            for (int k = 0; k < 3; ++k)
              d[k] = p[3 * j + k] + ka * box[0][k] + kb * box[1][k] + kc * box[2][k] - p[3 * i + k];
            if (d[0] * d[0] + d[1] * d[1] + d[2] * d[2] > cutoff * cutoff) continue;
            bonds.push_back(Canonical(i, j, d[0], d[1], d[2]));
            ++counts[i];
            ++counts[j];
          }
  SortBonds(bonds);
  return bonds;
}

inline std::vector<Bond> FromInfo(const BOND_INFO& info) {
  std::vector<Bond> out;
  for (int e = 0; e < info.bondCount; ++e) {
    const BOND_ENTRY& b = info.entries[e];
    out.push_back(Canonical(b.i, b.j, b.dx, b.dy, b.dz));
  }
  SortBonds(out);
  return out;
}

inline void ExpectSameBonds(const std::vector<Bond>& expected, const std::vector<Bond>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (size_t n = 0; n < expected.size(); ++n) {
    ASSERT_EQ(expected[n].i, actual[n].i) << "bond " << n;
    ASSERT_EQ(expected[n].j, actual[n].j) << "bond " << n;
    for (int k = 0; k < 3; ++k) ASSERT_NEAR(expected[n].v[k], actual[n].v[k], 1e-4) << "bond " << n;
  }
}

// Random atoms at fractional coordinates in [lo, hi) of the frame's box, a few put exactly
// on the upper faces.
inline void FillRandom(ATOMS_DATA& f, int n, unsigned seed, double lo = 0.0, double hi = 1.0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(lo, hi);
  f.Allocate(n);
  for (int a = 0; a < n; ++a) {
    double fr[3] = {u(rng), u(rng), u(rng)};
    if (a % 7 == 3) fr[a % 3] = 1.0;
    for (int k = 0; k < 3; ++k)
      f.positions[3 * a + k] = static_cast<float>(f.origin[k] + fr[0] * f.box[k] + fr[1] * f.box[3 + k] +
                                                   fr[2] * f.box[6 + k]);
    f.atomicNumbers[a] = 1;
  }
}

// Reorders the atoms by z, then y, then x: the order a lattice generator writes.
inline void SortBySpace(ATOMS_DATA& f) {
  std::vector<std::array<float, 3>> p(static_cast<size_t>(f.atomCount));
  for (int a = 0; a < f.atomCount; ++a) p[a] = {f.positions[3 * a], f.positions[3 * a + 1], f.positions[3 * a + 2]};
  std::sort(p.begin(), p.end(), [](const auto& l, const auto& r) {
    return std::make_tuple(l[2], l[1], l[0]) < std::make_tuple(r[2], r[1], r[0]);
  });
  for (int a = 0; a < f.atomCount; ++a)
    for (int k = 0; k < 3; ++k) f.positions[3 * a + k] = p[a][k];
}

inline void SetBox(ATOMS_DATA& f, std::initializer_list<double> box, std::initializer_list<double> origin = {0, 0, 0}) {
  std::copy(box.begin(), box.end(), f.box);
  std::copy(origin.begin(), origin.end(), f.origin);
}

// The half list the finder's visiting order gives: per atom, the entries before its self
// position, stored as neighbour image minus atom.
struct HalfList {
  BOND_INFO info;
  std::vector<float> wrapped;  // FinderList: the positions moved into the box
  bool overflow = false;
};

inline HalfList QueryAll(LCL& lcl, std::vector<double>& points, double cutoff, int capacity = 400) {
  const int n = static_cast<int>(points.size() / 3);
  HalfList out;
  out.info.counts.assign(n, 0);
  std::vector<NEIGHBOR_ENTRY> buf(capacity);
  INeighborFinder& finder = lcl;
  for (int i = 0; i < n; ++i) {
    int self = -7;
    const int found = finder.Query(i, points.data(), cutoff * cutoff, buf.data(), &self, capacity);
    if (found < 0) {
      out.overflow = true;
      continue;
    }
    for (int r = 0; r < self; ++r)
      out.info.entries.push_back(BOND_ENTRY{i, buf[r].index, static_cast<float>(-buf[r].dx),
                                            static_cast<float>(-buf[r].dy), static_cast<float>(-buf[r].dz)});
    out.info.counts[i] = found;
  }
  out.info.bondCount = static_cast<int>(out.info.entries.size());
  return out;
}

inline std::vector<double> Relative(const ATOMS_DATA& f) {
  std::vector<double> p(3 * static_cast<size_t>(f.atomCount));
  for (size_t k = 0; k < p.size(); ++k) p[k] = static_cast<double>(f.positions[k]) - f.origin[k % 3];
  return p;
}

// The finder's half list of a periodic frame on the cut-off grid (cells one cut-off wide,
// the default cell limit). Box and origin are taken in float, as the bond builder takes
// them.
inline HalfList FinderList(const ATOMS_DATA& f, double cutoff) {
  LCL lcl(cutoff);
  double b[9], origin[3];
  for (int k = 0; k < 9; ++k) b[k] = static_cast<float>(f.box[k]);
  for (int k = 0; k < 3; ++k) origin[k] = static_cast<float>(f.origin[k]);
  if (b[1] != 0 || b[2] != 0 || b[3] != 0 || b[5] != 0 || b[6] != 0 || b[7] != 0) {
    const double m[3][3] = {{b[0], b[1], b[2]}, {b[3], b[4], b[5]}, {b[6], b[7], b[8]}};
    lcl.SetTriclinicBox(m);
  } else {
    lcl.SetBox(b[0], b[4], b[8]);
  }
  std::vector<double> p(3 * static_cast<size_t>(f.atomCount));
  for (size_t k = 0; k < p.size(); ++k) p[k] = static_cast<double>(f.positions[k]) - origin[k % 3];
  lcl.PrepareAndBuild(f.atomCount, p.data());
  HalfList out = QueryAll(lcl, p, cutoff);
  for (size_t k = 0; k < p.size(); ++k) out.wrapped.push_back(static_cast<float>(p[k] + origin[k % 3]));
  return out;
}

// A built frame holds exactly the finder's list: the same entries in the same order, the
// same counts, and the atoms moved to the same places.
inline void ExpectSameList(const HalfList& want, const ATOMS_DATA& g) {
  ASSERT_FALSE(want.overflow);
  ASSERT_EQ(g.bonds.bondCount, want.info.bondCount);
  for (int e = 0; e < want.info.bondCount; ++e) {
    const BOND_ENTRY &a = want.info.entries[e], &b = g.bonds.entries[e];
    ASSERT_TRUE(a.i == b.i && a.j == b.j && a.dx == b.dx && a.dy == b.dy && a.dz == b.dz)
        << "entry " << e << ": " << b.i << "-" << b.j << " instead of " << a.i << "-" << a.j;
  }
  for (int i = 0; i < g.atomCount; ++i) {
    ASSERT_EQ(g.bonds.counts[i], want.info.counts[i]) << "atom " << i;
    for (int k = 0; k < 3; ++k)
      ASSERT_EQ(std::bit_cast<uint32_t>(g.positions[3 * i + k]), std::bit_cast<uint32_t>(want.wrapped[3 * i + k]))
          << "atom " << i << " axis " << k;  // bit for bit: -0 is not +0
  }
}

}  // namespace reftest

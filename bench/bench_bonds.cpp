// Bond determination and molecule classification on a 1,000,000-atom FCC crystal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <utility>

#include "analysis/BondBuilder.h"
#include "analysis/Molecules.h"

namespace {

constexpr int kCells = 63;  // 4 * 63^3 = 1,000,188 atoms
constexpr double kLattice = 3.615;
constexpr double kCutoff = 3.0;

// FCC crystal filling a box of kCells unit cells per axis. The triclinic form shears the
// box (b and c lean along x by whole unit cells) so it describes the same periodic crystal.
ATOMS_DATA MakeCrystal(bool triclinic) {
  ATOMS_DATA f;
  const int n = 4 * kCells * kCells * kCells;
  f.Allocate(n);
  const double basis[4][3] = {{0, 0, 0}, {0.5, 0.5, 0}, {0.5, 0, 0.5}, {0, 0.5, 0.5}};
  const double len = kCells * kLattice;
  int a = 0;
  for (int z = 0; z < kCells; ++z)
    for (int y = 0; y < kCells; ++y)
      for (int x = 0; x < kCells; ++x)
        for (const auto& b : basis) {
          f.atomicNumbers[a] = 29;
          f.positions[3 * a + 0] = static_cast<float>((x + b[0]) * kLattice);
          f.positions[3 * a + 1] = static_cast<float>((y + b[1]) * kLattice);
          f.positions[3 * a + 2] = static_cast<float>((z + b[2]) * kLattice);
          ++a;
        }
  const double shear = triclinic ? 10 * kLattice : 0.0;
  const double box[9] = {len, 0, 0, shear, len, 0, shear, 0, len};
  for (int k = 0; k < 9; ++k) f.box[k] = box[k];
  return f;
}

void Bonds(benchmark::State& state, bool triclinic) {
  ATOMS_DATA f = MakeCrystal(triclinic);
  BondBuildStats stats;
  BuildBonds(f, f.bonds, kCutoff, 3, &stats);  // capacities reach their size once
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildBonds(f, f.bonds, kCutoff, 3, &stats));
  }
  state.counters["atoms"] = f.atomCount;
  state.counters["bonds"] = f.bonds.bondCount;
  state.counters["work_B_per_atom"] = static_cast<double>(stats.workingBytes) / f.atomCount;
  state.counters["cells"] = static_cast<double>(stats.cells[0]) * stats.cells[1] * stats.cells[2];
}

void BM_BondsOrthogonalFcc1M(benchmark::State& state) { Bonds(state, false); }

// The same crystal at other cut-offs (tenths of an Angstrom): 2.0 finds no pair (the nearest
// neighbours are 2.56 apart), 0.5 far below the spacing, 6.0 far above it.
void BM_BondsFcc1MCutoff(benchmark::State& state) {
  ATOMS_DATA f = MakeCrystal(false);
  const double cutoff = state.range(0) / 10.0;
  BondBuildStats stats;
  BuildBonds(f, f.bonds, cutoff, 3, &stats);
  for (auto _ : state) benchmark::DoNotOptimize(BuildBonds(f, f.bonds, cutoff, 3, &stats));
  state.counters["bonds"] = f.bonds.bondCount;
  state.counters["work_B_per_atom"] = static_cast<double>(stats.workingBytes) / f.atomCount;
  state.counters["cells"] = static_cast<double>(stats.cells[0]) * stats.cells[1] * stats.cells[2];
}

// 103,823 atoms near the points of a lattice in a cell whose a and b edges meet at 60
// degrees, 8 neighbours each within 3.0: the sheared-cell row of bench/whole_process.sh.
void BM_BondsTriclinic60Degrees100k(benchmark::State& state) {
  constexpr int kN = 47;
  constexpr double kSpacing = 2.3;
  ATOMS_DATA f;
  f.Allocate(kN * kN * kN);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> jitter(-0.1, 0.1);
  const double s60 = std::sqrt(3.0) / 2;
  int a = 0;
  for (int k = 0; k < kN; ++k)
    for (int j = 0; j < kN; ++j)
      for (int i = 0; i < kN; ++i, ++a) {
        f.atomicNumbers[a] = 29;
        f.positions[3 * a + 0] = static_cast<float>((i + 0.5 * j) * kSpacing + jitter(rng));
        f.positions[3 * a + 1] = static_cast<float>(j * s60 * kSpacing + jitter(rng));
        f.positions[3 * a + 2] = static_cast<float>(k * kSpacing + jitter(rng));
      }
  const double e = kN * kSpacing;
  const double box[9] = {e, 0, 0, e / 2, e * s60, 0, 0, 0, e};
  for (int k = 0; k < 9; ++k) f.box[k] = box[k];
  BuildBonds(f, f.bonds, 3.0, 3);
  for (auto _ : state) benchmark::DoNotOptimize(BuildBonds(f, f.bonds, 3.0, 3));
  state.counters["bonds"] = f.bonds.bondCount;
}

// The same crystal with the atoms listed in random order, as a long run leaves them.
void BM_BondsShuffledFcc1M(benchmark::State& state) {
  ATOMS_DATA f = MakeCrystal(false);
  std::mt19937 rng(1);
  for (int a = f.atomCount - 1; a > 0; --a) {
    const int b = std::uniform_int_distribution<int>(0, a)(rng);
    for (int k = 0; k < 3; ++k) std::swap(f.positions[3 * a + k], f.positions[3 * b + k]);
  }
  BuildBonds(f, f.bonds, kCutoff, 3);
  for (auto _ : state) benchmark::DoNotOptimize(BuildBonds(f, f.bonds, kCutoff, 3));
  state.counters["bonds"] = f.bonds.bondCount;
}
void BM_BondsTriclinicFcc1M(benchmark::State& state) { Bonds(state, true); }

// The crystal spread over eight times the volume (nearest neighbours 5.1 apart), at the
// usual cut-off: a sparse frame, whose cells the atom count sizes rather than the cut-off.
void BM_BondsSparseFcc1M(benchmark::State& state) {
  ATOMS_DATA f = MakeCrystal(false);
  for (size_t k = 0; k < 3 * static_cast<size_t>(f.atomCount); ++k) f.positions[k] *= 2;
  for (double& b : f.box) b *= 2;
  BondBuildStats stats;
  BuildBonds(f, f.bonds, kCutoff, 3, &stats);
  for (auto _ : state) benchmark::DoNotOptimize(BuildBonds(f, f.bonds, kCutoff, 3, &stats));
  state.counters["bonds"] = f.bonds.bondCount;
  state.counters["cells"] = static_cast<double>(stats.cells[0]) * stats.cells[1] * stats.cells[2];
}

// A molecular gas: 500,000 two-atom molecules (1.0 A apart, turned at random) at random
// places, 0.1 atoms per cubic Angstrom, a fifth of the molecules outside the box and the
// atoms listed molecule by molecule. A cut-off (hundredths of an Angstrom) below the
// spacing of the atoms: at 0.5 a short list (chance contacts), at 1.2 one bond per molecule
// and more.
void BM_BondsMoleculeGas1M(benchmark::State& state) {
  constexpr int kMolecules = 500000;
  const double edge = std::cbrt(2.0 * kMolecules / 0.1);
  ATOMS_DATA f;
  f.Allocate(2 * kMolecules);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> place(-0.05 * edge, 1.05 * edge), unit(-1, 1);
  for (int m = 0; m < kMolecules; ++m) {
    double d[3], r2;
    do {
      for (double& v : d) v = unit(rng);
      r2 = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    } while (r2 > 1 || r2 < 1e-4);
    const double scale = 0.5 / std::sqrt(r2);
    for (int k = 0; k < 3; ++k) {
      const double centre = place(rng);
      f.positions[6 * m + k] = static_cast<float>(centre - scale * d[k]);
      f.positions[6 * m + 3 + k] = static_cast<float>(centre + scale * d[k]);
    }
  }
  const double box[9] = {edge, 0, 0, 0, edge, 0, 0, 0, edge};
  for (int k = 0; k < 9; ++k) f.box[k] = box[k];
  const double cutoff = state.range(0) / 100.0;
  ATOMS_DATA work = f;
  BondBuildStats stats;
  BuildBonds(work, work.bonds, cutoff, 3, &stats);
  for (auto _ : state) {
    // Each build starts from the frame as read, so that every one wraps the same atoms.
    state.PauseTiming();
    std::copy(f.positions.begin(), f.positions.end(), work.positions.begin());
    state.ResumeTiming();
    benchmark::DoNotOptimize(BuildBonds(work, work.bonds, cutoff, 3, &stats));
  }
  state.counters["bonds"] = work.bonds.bondCount;
  state.counters["work_B_per_atom"] = static_cast<double>(stats.workingBytes) / f.atomCount;
}

// A first build into an empty bond record, capacities grown on the way.
void BM_BondsFirstBuildFcc1M(benchmark::State& state) {
  ATOMS_DATA f = MakeCrystal(false);
  for (auto _ : state) {
    state.PauseTiming();
    f.bonds = BOND_INFO();
    state.ResumeTiming();
    benchmark::DoNotOptimize(BuildBonds(f, f.bonds, kCutoff, 3));
  }
}

void BM_MoleculesFcc1M(benchmark::State& state) {
  ATOMS_DATA f = MakeCrystal(false);
  BuildBonds(f, f.bonds, kCutoff, 3);
  for (auto _ : state) {
    auto mols = ClassifyMolecules(f.atomCount, f.atomicNumbers.data(), f.bonds);
    benchmark::DoNotOptimize(mols.data());
  }
}

}  // namespace

BENCHMARK(BM_BondsOrthogonalFcc1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BondsFcc1MCutoff)->Arg(5)->Arg(10)->Arg(20)->Arg(60)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BondsTriclinic60Degrees100k)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BondsShuffledFcc1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BondsTriclinicFcc1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BondsSparseFcc1M)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BondsMoleculeGas1M)->Arg(50)->Arg(120)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_BondsFirstBuildFcc1M)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MoleculesFcc1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

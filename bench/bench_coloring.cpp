// Colouring runs for every drawn frame: a million atoms must not cost a visible pause.
#include <benchmark/benchmark.h>

#include <vector>

#include "rendering/Coloring.h"

namespace {

ATOMS_DATA MakeFrame(int n) {
  ATOMS_DATA f;
  f.Allocate(n, true, false, true);
  for (int i = 0; i < n; ++i) {
    f.atomicNumbers[i] = i % 120 - 1;
    f.positions[3 * i] = f.positions[3 * i + 1] = f.positions[3 * i + 2] = 0;
    f.vectors[3 * i] = static_cast<float>((i % 400) - 100);
    f.vectors[3 * i + 1] = f.vectors[3 * i + 2] = 0;
  }
  f.bonds.counts.resize(n);
  for (int i = 0; i < n; ++i) f.bonds.counts[i] = i % 17;
  return f;
}

void BM_AtomColors(benchmark::State& state) {
  ATOMS_DATA f = MakeFrame(static_cast<int>(state.range(0)));
  const qv::ColorTables t;
  std::vector<qv::Rgba> out;
  for (auto _ : state) {
    qv::AtomColors(f, &f.bonds, static_cast<int>(state.range(1)), t, 160.1, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AtomColors)->Args({1000000, 0})->Args({1000000, 1})->Args({1000000, 2});

void BM_PressureColors(benchmark::State& state) {
  ATOMS_DATA f = MakeFrame(static_cast<int>(state.range(0)));
  const qv::ColorTables t;
  for (auto _ : state) {
    qv::PressureColors(f, f.bonds, 160.1, t);
    benchmark::DoNotOptimize(f.bonds.pressureColors.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PressureColors)->Arg(1000000);

}  // namespace

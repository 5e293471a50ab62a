// EPS of a 100,000-atom frame: projection, depth sort, neighbour lists and the text.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "output/EpsWriter.h"

namespace {

struct Scene {
  ATOMS_DATA frame;
  EpsInput input;
};

// Atoms on a jittered lattice filling a cube, each bonded to its +x, +y and +z lattice
// neighbours (three bonds per atom, six per atom from both ends), seen by the camera
// fitted to the box.
Scene& BigScene() {
  static Scene s = [] {
    Scene sc;
    const int side = 47;  // 47^3 = 103,823; the first 100,000 are used
    const int n = 100000;
    const double spacing = 1.5;
    const double edge = side * spacing;
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> jitter(-0.1f, 0.1f);
    sc.frame.Allocate(n);
    auto index = [&](int x, int y, int z) { return (z * side + y) * side + x; };
    for (int i = 0; i < n; ++i) {
      const int x = i % side, y = (i / side) % side, z = i / (side * side);
      sc.frame.positions[3 * i] = static_cast<float>(x * spacing) + jitter(rng);
      sc.frame.positions[3 * i + 1] = static_cast<float>(y * spacing) + jitter(rng);
      sc.frame.positions[3 * i + 2] = static_cast<float>(z * spacing) + jitter(rng);
      sc.frame.atomicNumbers[i] = (i % 3 == 0) ? 8 : 1;
    }
    std::vector<BOND_ENTRY> bonds;
    for (int i = 0; i < n; ++i) {
      const int x = i % side, y = (i / side) % side, z = i / (side * side);
      const int nb[3] = {x + 1 < side ? index(x + 1, y, z) : -1,
                         y + 1 < side ? index(x, y + 1, z) : -1, index(x, y, z + 1)};
      for (int j : nb) {
        if (j < 0 || j >= n) continue;
        const float* p = &sc.frame.positions[0];
        bonds.push_back({i, j, p[3 * j] - p[3 * i], p[3 * j + 1] - p[3 * i + 1],
                         p[3 * j + 2] - p[3 * i + 2]});
      }
    }
    sc.frame.bonds.entries.resize(bonds.size());
    std::copy(bonds.begin(), bonds.end(), sc.frame.bonds.entries.begin());
    sc.frame.bonds.bondCount = static_cast<int32_t>(bonds.size());
    const double box[9] = {edge, 0, 0, 0, edge, 0, 0, 0, edge};
    std::copy(box, box + 9, sc.input.box);
    sc.input.frame = &sc.frame;
    sc.input.bonds = &sc.frame.bonds;
    sc.input.camera.FitToData(box, sc.input.origin);
    return sc;
  }();
  return s;
}

void BM_EpsText100k(benchmark::State& state) {
  Scene& s = BigScene();
  std::string out;
  for (auto _ : state) {
    FormatEps(s.input, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["MB"] = out.size() / 1e6;
}
BENCHMARK(BM_EpsText100k)->Unit(benchmark::kMillisecond);

void BM_EpsFile100k(benchmark::State& state) {
  Scene& s = BigScene();
  char name[] = "/tmp/qv_bench_epsXXXXXX";
  const int fd = mkstemp(name);
  if (fd >= 0) close(fd);
  for (auto _ : state) {
    if (WriteEps(name, s.input) != kEpsOk) state.SkipWithError("cannot write");
  }
  std::remove(name);
}
BENCHMARK(BM_EpsFile100k)->Unit(benchmark::kMillisecond);

}  // namespace

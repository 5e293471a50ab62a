// STL output: the grid surface of a 100 Å cube at spacing 1.0 with 100,000 atoms.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "output/StlWriter.h"

namespace {

std::vector<float> RandomAtoms(int n, float edge) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<float> u(0.0f, edge);
  std::vector<float> pos(3 * static_cast<size_t>(n));
  for (auto& v : pos) v = u(rng);
  return pos;
}

std::string OutputPath(const char* name) { return std::string("/tmp/qv_bench_") + name + ".stl"; }

double PeakRssMB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

// range(0): atom radius in hundredths of an Å.
void BM_StlGrid100k(benchmark::State& state) {
  const auto pos = RandomAtoms(100000, 100.0f);
  const double box[9] = {100, 0, 0, 0, 100, 0, 0, 0, 100};
  StlGridOptions o;
  o.atomRadius = state.range(0) / 100.0;
  o.gridWidth = 1.0;
  const std::string path = OutputPath("grid");
  uint32_t triangles = 0;
  for (auto _ : state) {
    STL_Grid_Writer w(o);
    if (w.Write(path, pos.data(), 100000, box) != 100000) state.SkipWithError("write failed");
    triangles = w.TriangleCount();
  }
  state.counters["triangles"] = triangles;
  state.counters["grid_MB"] = 100.0 * 100 * 100 * 49 / 1e6;  // one byte and six doubles per point
  state.counters["peak_rss_MB"] = PeakRssMB();
  std::remove(path.c_str());
}
BENCHMARK(BM_StlGrid100k)->Arg(30)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StlSpheres100k(benchmark::State& state) {
  const auto pos = RandomAtoms(100000, 100.0f);
  const std::string path = OutputPath("spheres");
  for (auto _ : state) {
    STL_Writer w(0.3, 4);
    if (w.Write(path, pos.data(), 100000) != 100000) state.SkipWithError("write failed");
  }
  state.counters["triangles"] = 100000.0 * 48;
  std::remove(path.c_str());
}
BENCHMARK(BM_StlSpheres100k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

// Scattering paths: rebuilding the visible set of a million points. Scalar fields: loading a
// 200^3 grid from a cube and from a bif file, and stepping frames.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "auxdata/field/Field3DLoader.h"
#include "auxdata/scattering/BCALoader.h"
#include "data/text/LineReader.h"

namespace {

// `paths` paths of `per` points, steps rising by one along each path.
std::string MakePaths(int paths, int per) {
  std::string s;
  s.reserve(static_cast<size_t>(paths) * per * 24);
  char line[96];
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> u(-50, 50);
  for (int p = 0; p < paths; ++p) {
    for (int i = 0; i < per; ++i) {
      const int n = std::snprintf(line, sizeof line, "%.3f %.3f %.3f %d\n", u(rng), u(rng), u(rng), i);
      s.append(line, static_cast<size_t>(n));
    }
    s += "\n";
  }
  return s;
}

void BM_ScatteringVisibleSet(benchmark::State& state) {
  static const std::string text = MakePaths(1000, 1000);
  qv::LineReader lines;
  lines.OpenMemory(text);
  BCALoader b;
  b.Read(lines, "bench.traj");
  int step = 0;
  for (auto _ : state) {
    // Alternate between two steps so every iteration rebuilds.
    step = step == 500 ? 900 : 500;
    b.SetCurrentStep(step);
    benchmark::DoNotOptimize(b.GetVisibleSet()->pointCount);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(b.PointCount()));
}
BENCHMARK(BM_ScatteringVisibleSet)->Unit(benchmark::kMillisecond);

void BM_ScatteringRead(benchmark::State& state) {
  static const std::string text = MakePaths(1000, 1000);
  for (auto _ : state) {
    qv::LineReader lines;
    lines.OpenMemory(text);
    BCALoader b;
    b.Read(lines, "bench.traj");
    benchmark::DoNotOptimize(b.PointCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ScatteringRead)->Unit(benchmark::kMillisecond);

std::string TempFile(const char* ext) {
  return "/tmp/qv-bench-field-" + std::to_string(getpid()) + "." + ext;
}

void BM_CubeLoad(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = TempFile("cube");
  {
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fprintf(f, "bench\nbench\n 0 0 0 0\n %d 0.1 0 0\n %d 0 0.1 0\n %d 0 0 0.1\n", n, n, n);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int64_t i = 0; i < int64_t{n} * n * n; ++i) std::fprintf(f, "%.5e%c", u(rng), i % 6 == 5 ? '\n' : ' ');
    std::fclose(f);
  }
  for (auto _ : state) {
    Field3DLoader field;
    benchmark::DoNotOptimize(field.Read(path));
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * int64_t{n} * n * n);
}
BENCHMARK(BM_CubeLoad)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_BifLoad(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = TempFile("bif");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite("BINFIELD\0\0\0\0\0\0\0\0", 1, 16, f);
    const int64_t dims[3] = {n, n, n};
    const double d[3] = {0.1, 0.1, 0.1};
    for (int frame = 0; frame < 2; ++frame) {
      std::fwrite(dims, 8, 3, f);
      std::fwrite(d, 8, 3, f);
      std::vector<double> plane(static_cast<size_t>(n) * n);
      for (int z = 0; z < n; ++z) {
        for (size_t i = 0; i < plane.size(); ++i) plane[i] = double((i + z + frame) % 97) / 80;
        std::fwrite(plane.data(), 8, plane.size(), f);
      }
    }
    std::fclose(f);
  }
  for (auto _ : state) {
    Field3DLoader field;
    benchmark::DoNotOptimize(field.Read(path));
    // Stepping between the frames switches arrays only.
    for (int k = 0; k < 100; ++k) benchmark::DoNotOptimize(field.SetFrame(k & 1));
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * 2 * int64_t{n} * n * n);
}
BENCHMARK(BM_BifLoad)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

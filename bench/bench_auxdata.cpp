// Loading and replaying particle event records, and stepping lattice event data.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "auxdata/krb/KrbReplay.h"
#include "auxdata/lmc/LMC_Holder.h"

namespace {

// 1,000,000 records of 20,000 particles wandering in a 100-unit box, a tenth deletions
// (re-created by later records), one time step per 1,000 records.
const std::string& KrbText() {
  static const std::string text = [] {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0.0, 100.0);
    std::string s = "BOX 100 0 0 0 100 0 0 0 100 0 0 0\n";
    s.reserve(48u * 1000000);
    char line[160];
    const char* symbols[] = {"H", "He", "W", "Xx"};
    for (int i = 0; i < 1000000; ++i) {
      const int n = std::snprintf(line, sizeof line, "%d %s %s %u %.4f %.4f %.4f\n", i / 1000,
                                  rng() % 10 == 0 ? "DEL" : "X", symbols[rng() % 4],
                                  static_cast<unsigned>(rng() % 20000), u(rng), u(rng), u(rng));
      s.append(line, static_cast<size_t>(n));
    }
    return s;
  }();
  return text;
}

const std::string& KrbFile() {
  static const std::string path = [] {
    char name[] = "/tmp/qv-bench-XXXXXX.krb";
    const int fd = mkstemps(name, 4);
    if (fd >= 0) close(fd);
    std::FILE* f = std::fopen(name, "wb");
    std::fwrite(KrbText().data(), 1, KrbText().size(), f);
    std::fclose(f);
    return std::string(name);
  }();
  return path;
}

void BM_KrbLoadMillionRecords(benchmark::State& state) {
  const std::string& path = KrbFile();
  for (auto _ : state) {
    KRB_Reader k(true);
    if (k.Read(path) != kKrbRead) state.SkipWithError("not read");
    benchmark::DoNotOptimize(k.Records().data());
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_KrbLoadMillionRecords)->Unit(benchmark::kMillisecond);

// A replay of all million records into tables a first replay has sized.
void BM_KrbReplayMillionRecords(benchmark::State& state) {
  KRB_Reader k;
  k.ReadMemory(KrbText());
  k.SetFrame(k.FrameLimit());
  KrbReplay replay;
  replay.Run(k, state.range(0));
  for (auto _ : state) {
    replay.Run(k, state.range(0));
    benchmark::DoNotOptimize(replay.Live().Size());
  }
  state.counters["live"] = static_cast<double>(replay.Live().Size());
  state.counters["segments"] = static_cast<double>(replay.Segments().size());
  state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_KrbReplayMillionRecords)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

// One step forwards and back on grids of 8,000 and 8,000,000 cells: the cost follows the
// step's 100 events, not the grid.
void BM_LmcStepForwardAndBack(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string text = "ELEMENTS A B\nGRID " + std::to_string(n) + " " + std::to_string(n) + " " +
                     std::to_string(n) + "\nBOX 1 0 0 0 1 0 0 0 1\n";
  const long cells = static_cast<long>(n) * n * n;
  for (long c = 0; c < cells; ++c) text += "INIT A 1\n";
  std::mt19937 rng(2);
  for (int s = 0; s < 10; ++s) {
    text += "STEP " + std::to_string(s) + "\n";
    for (int e = 0; e < 100; ++e) {
      text += "EVENT " + std::to_string(rng() % n) + " " + std::to_string(rng() % n) + " " +
              std::to_string(rng() % n) + " B 1\n";
    }
  }
  LMC_Holder h;
  if (h.LoadMemory(text) != kLmcLoaded || h.StepCount() != 10) state.SkipWithError("not loaded");
  h.SetFrame(5);
  for (auto _ : state) {
    h.SetFrame(6);
    h.SetFrame(5);
  }
  state.counters["cells"] = static_cast<double>(cells);
}
BENCHMARK(BM_LmcStepForwardAndBack)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);

}  // namespace

// fa2 reading speed from the page cache, and the cost of a far frame jump.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "BenchFa2.h"
#include "data/DataTypeRegistry.h"
#include "data/MDLoader.h"
#include "data/fa2/FA2_Reader.h"

namespace {

namespace fs = std::filesystem;

struct BenchFiles {
  fs::path dir;
  std::string oneMillion;  // one frame of 1,000,000 atoms (13 MB)
  std::string manyFrames;  // 1,600 frames of about 32 KiB
  BenchFiles() {
    // The container picks its reader through the program's extension table.
    qv::RegisterTrajectoryTypes(DataTypeRegistry::Instance());
    dir = fs::temp_directory_path() / ("qv-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    oneMillion = (dir / "million.fa2").string();
    manyFrames = (dir / "many.fa2").string();
    qvbench::WriteFa2(oneMillion, 1000000, 1, 100, 0);
    qvbench::WriteFa2(manyFrames, 2514, 1600, 100, 0);
  }
  ~BenchFiles() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

// A fresh frame record per read, as the container does.
void BM_Fa2ReadMillionAtomFrame(benchmark::State& state) {
  const std::string& path = Files().oneMillion;
  FA2_Reader reader;
  if (reader.Open(path) != 0) {
    state.SkipWithError("cannot open");
    return;
  }
  const int64_t size = static_cast<int64_t>(fs::file_size(path));
  for (auto _ : state) {
    reader.Seek(0);
    ATOMS_DATA frame;
    if (reader.ReadFrame(frame) != kFrameOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(frame.positions.data());
  }
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_Fa2ReadMillionAtomFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same read into arrays that already exist: the file-to-array cost alone.
void BM_Fa2ReadMillionAtomFrameReused(benchmark::State& state) {
  const std::string& path = Files().oneMillion;
  FA2_Reader reader;
  if (reader.Open(path) != 0) {
    state.SkipWithError("cannot open");
    return;
  }
  const int64_t size = static_cast<int64_t>(fs::file_size(path));
  ATOMS_DATA frame;
  frame.Allocate(1000000, true, false, false);
  float box[12];
  for (auto _ : state) {
    reader.Seek(0);
    if (reader.ReadFrame(frame.atomicNumbers.data(), nullptr, frame.positions.data(), nullptr,
                         box) != kFrameOk) {
      state.SkipWithError("read failed");
    }
    benchmark::DoNotOptimize(frame.positions.data());
  }
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_Fa2ReadMillionAtomFrameReused)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the last frame indexed at open, jump 1,000 frames ahead: 999 frames are indexed
// from their headers alone and only the target is read.
void BM_Fa2JumpThousandFrames(benchmark::State& state) {
  const std::string& path = Files().manyFrames;
  uint64_t headers = 0, bodies = 0, bytes = 0, jumps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto loader = std::make_unique<MDLoader>();
    loader->Open(path);
    loader->PinSlot(0);
    const int from = static_cast<int>(loader->SlotCount()) - 1;
    loader->SetFrame(from);
    const qv::ReadStats before = *loader->Stats();
    state.ResumeTiming();

    const int reached = loader->SetFrame(from + 1000);
    benchmark::DoNotOptimize(loader->GetCurrentFrame());

    state.PauseTiming();
    if (reached != from + 1000) state.SkipWithError("jump fell short");
    const qv::ReadStats& after = *loader->Stats();
    headers += after.headerReads - before.headerReads;
    bodies += after.bodyReads - before.bodyReads;
    bytes += after.bytesRead - before.bytesRead;
    ++jumps;
    loader.reset();
    state.ResumeTiming();
  }
  if (jumps) {
    state.counters["headers_per_jump"] = static_cast<double>(headers) / jumps;
    state.counters["bodies_per_jump"] = static_cast<double>(bodies) / jumps;
    state.counters["bytes_per_jump"] = static_cast<double>(bytes) / jumps;
  }
}
BENCHMARK(BM_Fa2JumpThousandFrames)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

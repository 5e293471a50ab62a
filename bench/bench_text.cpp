// Parsing speed of the text trajectory readers (bytes per second of input text).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "data/DataTypeRegistry.h"
#include "data/MDLoader.h"
#include "data/md3/MD3Load.h"
#include "data/text/TextFrames.h"

namespace {

const char* const kSymbols[] = {"O", "H", "H", "C", "N", "Si"};

std::string MakeXyz(int frames, int atoms) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  std::string s;
  s.reserve(static_cast<size_t>(frames) * atoms * 40);
  char line[128];
  for (int f = 0; f < frames; ++f) {
    s += std::to_string(atoms) + "\nframe " + std::to_string(f) + "\n";
    for (int i = 0; i < atoms; ++i) {
      const int n = std::snprintf(line, sizeof line, "%-2s %11.6f %11.6f %11.6f\n",
                                  kSymbols[i % 6], u(rng), u(rng), u(rng));
      s.append(line, static_cast<size_t>(n));
    }
  }
  return s;
}

// xyz with the integer md2 puts before each symbol.
std::string MakeMd2(int frames, int atoms) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  std::string s;
  s.reserve(static_cast<size_t>(frames) * atoms * 48);
  char line[128];
  for (int f = 0; f < frames; ++f) {
    s += std::to_string(atoms) + "\nframe " + std::to_string(f) + "\n";
    for (int i = 0; i < atoms; ++i) {
      const int n = std::snprintf(line, sizeof line, "%d %-2s %11.6f %11.6f %11.6f\n", i % 4, kSymbols[i % 6], u(rng),
                                  u(rng), u(rng));
      s.append(line, static_cast<size_t>(n));
    }
  }
  return s;
}

// The md3 writer's own layout.
std::string MakeMd3(int frames, int atoms) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  std::string s;
  s.reserve(static_cast<size_t>(frames) * atoms * 64);
  char line[160];
  for (int f = 0; f < frames; ++f) {
    s += std::to_string(atoms) + "\nframe = " + std::to_string(f) + "\n";
    s += "BOX   100.0 0 0 0 100.0 0 0 0 100.0\n";
    for (int i = 0; i < atoms; ++i) {
      const int n = std::snprintf(line, sizeof line, "%4s   %15.8f  %15.8f  %15.8f\n",
                                  kSymbols[i % 6], u(rng), u(rng), u(rng));
      s.append(line, static_cast<size_t>(n));
    }
  }
  return s;
}

const std::string& Text(bool md3, int frames, int atoms) {
  static std::string cache[2][2];
  std::string& s = cache[md3][frames > 1];
  if (s.empty()) s = md3 ? MakeMd3(frames, atoms) : MakeXyz(frames, atoms);
  return s;
}

// Writes the text once to a scratch file so the file path (block reads) is measured too.
std::string FileOf(bool md3, int frames, int atoms) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("qv_bench_" + std::to_string(frames) + (md3 ? ".md3" : ".xyz")))
                               .string();
  const std::string& s = Text(md3, frames, atoms);
  std::error_code ec;
  if (std::filesystem::file_size(path, ec) != s.size()) {
    std::ofstream(path, std::ios::binary) << s;
  }
  return path;
}

// The loaders report on stdout; keep that out of the benchmark table.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }

 private:
  int saved_;
};

// One-core parse of a text held in memory, as the serial reader of `format` reads it. One
// untimed parse comes first: the frames' fresh pages (paid once per load, and measured by
// the file benchmarks) would otherwise be counted in whichever run is first, which is the
// only timed one for a long input.
void ParseInMemory(benchmark::State& state, const std::string& text, qv::TextFormat format, int frames) {
  const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  auto parse = [&] {
    qv::LineReader lines;
    lines.OpenMemory(text);
    qv::FrameList out;
    int largest = 0;
    QuietStdout quiet;
    qv::LoadTextFrames(lines, format, box, out, largest);
    if (static_cast<int>(out.size()) != frames) state.SkipWithError("frame count");
    benchmark::DoNotOptimize(out);
  };
  parse();
  for (auto _ : state) parse();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void BM_XyzMemory(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  ParseInMemory(state, Text(false, frames, static_cast<int>(state.range(1))), qv::TextFormat::kXyz, frames);
}

void BM_Md2Memory(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  ParseInMemory(state, MakeMd2(frames, static_cast<int>(state.range(1))), qv::TextFormat::kMd2, frames);
}

void BM_XyzFile(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const int atoms = static_cast<int>(state.range(1));
  const std::string path = FileOf(false, frames, atoms);
  const float box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  for (auto _ : state) {
    qv::FrameList out;
    int largest = 0;
    QuietStdout quiet;
    qv::LoadTextFrames(path, qv::TextFormat::kXyz, box, out, largest);
    if (static_cast<int>(out.size()) != frames) state.SkipWithError("frame count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}

void BM_Md3Memory(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const int atoms = static_cast<int>(state.range(1));
  const std::string& text = Text(true, frames, atoms);
  auto parse = [&] {  // untimed once first, as in ParseInMemory
    vrk::MD3_Reader2<float> reader;
    reader.OpenMemory(text);
    qv::FrameList out;
    QuietStdout quiet;
    qv::LoadMd3Frames(reader, out);
    if (static_cast<int>(out.size()) != frames) state.SkipWithError("frame count");
  };
  parse();
  for (auto _ : state) parse();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.size());
}

void BM_Md3File(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const int atoms = static_cast<int>(state.range(1));
  const std::string path = FileOf(true, frames, atoms);
  for (auto _ : state) {
    qv::FrameList out;
    QuietStdout quiet;
    qv::LoadMd3Frames(path, out);
    if (static_cast<int>(out.size()) != frames) state.SkipWithError("frame count");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}

// An engine dump frame of the same atoms as BM_XyzFile's: "id type x y z", shuffled ids as
// several processors write them, so the reorder by id is part of the cost.
std::string DumpFile(int atoms) {
  const std::string path = (std::filesystem::temp_directory_path() / ("qv_bench_" + std::to_string(atoms) + ".lammpstrj")).string();
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return path;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0.0, 100.0);
  std::string s = "ITEM: TIMESTEP\n0\nITEM: NUMBER OF ATOMS\n" + std::to_string(atoms) +
                  "\nITEM: BOX BOUNDS pp pp pp\n0 100\n0 100\n0 100\nITEM: ATOMS id type x y z\n";
  char line[128];
  const int blocks = 4;
  for (int b = 0; b < blocks; ++b) {
    for (int i = b; i < atoms; i += blocks) {
      const int n = std::snprintf(line, sizeof line, "%d %d %11.6f %11.6f %11.6f\n", i + 1, i % 3 + 1, u(rng), u(rng), u(rng));
      s.append(line, static_cast<size_t>(n));
    }
  }
  std::ofstream(path, std::ios::binary) << s;
  return path;
}

void BM_LammpsDumpFile(benchmark::State& state) {
  const int atoms = static_cast<int>(state.range(0));
  const std::string path = DumpFile(atoms);
  for (auto _ : state) {
    QuietStdout quiet;
    MDLoader m;
    if (m.Open(path, kTrajLammps) != MDLoader::kFormatLammps || !m.GetCurrentFrame() ||
        m.GetCurrentFrame()->atomCount != atoms)
      state.SkipWithError("load");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}

}  // namespace

BENCHMARK(BM_LammpsDumpFile)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One frame of 1,000,000 atoms, and 100 frames of 100,000 atoms.
BENCHMARK(BM_XyzMemory)->Args({1, 1000000})->Args({100, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Md2Memory)->Args({1, 1000000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XyzFile)->Args({1, 1000000})->Args({100, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Md3Memory)->Args({1, 1000000})->Args({100, 100000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Md3File)->Args({1, 1000000})->Args({100, 100000})->Unit(benchmark::kMillisecond);

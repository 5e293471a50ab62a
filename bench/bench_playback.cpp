// One tick of movie playback without drawing: every data set moves on by the frame skip and
// the title is rebuilt. A tick must stay well inside the 20 ms timer period for a
// 100,000-atom trajectory, so playback keeps its cadence whenever a frame draws within it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Commands.h"

namespace {

namespace fs = std::filesystem;
using namespace qv::cmd;

void WriteFa2(const std::string& path, int32_t n, int frames) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::vector<unsigned char> numbers(n);
  std::vector<float> xyz(3 * static_cast<size_t>(n));
  for (int k = 0; k < frames; ++k) {
    for (int32_t i = 0; i < n; ++i) {
      numbers[i] = i % 3 == 0 ? 8 : 1;
      xyz[3 * i] = static_cast<float>(i % 47) + 0.01f * k;
      xyz[3 * i + 1] = static_cast<float>((i / 47) % 47);
      xyz[3 * i + 2] = static_cast<float>(i / 2209);
    }
    unsigned char header[32] = {};
    std::memcpy(header, &n, 4);
    std::memcpy(header + 4, &k, 4);
    header[8] = 4;
    header[9] = 1;
    header[11] = 4;
    const float box[12] = {47, 0, 0, 0, 47, 0, 0, 0, 47, 0, 0, 0};
    std::fwrite(header, 1, 32, f);
    std::fwrite(box, 1, sizeof box, f);
    std::fwrite(numbers.data(), 1, numbers.size(), f);
    std::fwrite(xyz.data(), sizeof(float), xyz.size(), f);
  }
  std::fclose(f);
}

class QuietShell : public IShellServices {
 public:
  void Redraw() override {}
  void SetTitle(const std::string& text) override { title = text; }
  void ShowMessage(const std::string&, const std::string&) override {}
  void StartMovieTimer() override {}
  void StopMovieTimer() override {}
  bool ChooseFileToOpen(std::string&) override { return false; }
  void ShowVersionDialog() override {}
  void OpenWithSystem(const std::string&) override {}
  void CloseWindow() override {}
  std::string title;
};

class StillCamera : public ICameraControl {
 public:
  void FitToData() override {}
  void Zoom(double) override {}
  void OrbitUp(double) override {}
  void OrbitRight(double) override {}
  void ShiftRight(double) override {}
  void ShiftUp(double) override {}
  void SetSectionStep(int) override {}
  void MoveSectionToCentre() override {}
  void ResetClipping() override {}
  void BeginDrag(int, int) override {}
  bool DragPan(int, int, int, int) override { return false; }
  bool DragRotate(int, int, int, int) override { return false; }
  void Place(const double*, const double*, const double*) override {}
  int PickAtom(int, int, int, int, const float*, int, double) const override { return -1; }
};

void BM_PlaybackTick100k(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("qv-bench-play-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "play.fa2").string();
  WriteFa2(path, 100000, 20);
  Quivane app;
  QuietShell shell;
  StillCamera camera;
  Commands commands(app, shell, camera);
  commands.OpenFiles({path});
  if (app.dataSets.Empty()) state.SkipWithError("the trajectory did not load");
  for (auto _ : state) {
    if (!commands.movie().Playing()) {
      app.currentFrame = app.SetFrameAll(0);
      commands.movie().StartForward();
    }
    commands.OnTimer();
    benchmark::DoNotOptimize(shell.title.data());
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}
BENCHMARK(BM_PlaybackTick100k)->Unit(benchmark::kMicrosecond);

}  // namespace

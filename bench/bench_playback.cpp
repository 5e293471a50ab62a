// One tick of movie playback without drawing: every data set moves on by the frame skip and
// the title is rebuilt. A tick must stay well inside the 20 ms timer period for a
// 100,000-atom trajectory, so playback keeps its cadence whenever a frame draws within it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchFa2.h"
#include "app/CameraControl.h"
#include "app/Commands.h"

namespace {

namespace fs = std::filesystem;
using namespace qv::cmd;

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

void BM_PlaybackTick100k(benchmark::State& state) {
  const fs::path dir = fs::temp_directory_path() / ("qv-bench-play-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "play.fa2").string();
  qvbench::WriteFa2(path, 100000, 20, 47, 0.01f);
  Quivane app;
  QuietShell shell;
  AppCameraControl camera(app);  // only the open fits it: a tick never moves the camera
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

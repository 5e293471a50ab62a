// Frame time of the scene on the headless surface (llvmpipe here): the fixed-function
// renderer alone, split into the CPU batch filling and the whole frame (filling + GL drawing
// + finish), and whole frames through either back end.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/BackEndFactory.h"
#include "app/DataTypes.h"
#include "rendering/gl/AtomRendererGL.h"
#include "rendering/gl/GraphicDeviceGL15.h"
#include "rendering/gl/SceneGL.h"
#include "rendering/headless/HeadlessEGLSurface.h"

namespace {

// A trajectory of one frame that shares the benchmark's frame record.
class SceneTrajectory : public IMDContainer {
 public:
  explicit SceneTrajectory(const ATOMS_DATA& f) : frame_(const_cast<ATOMS_DATA&>(f)) {}
  int GetFrameIndex() const override { return 0; }
  int SetFrame(int) override { return 0; }
  ATOMS_DATA* GetCurrentFrame() override { return &frame_; }
  bool GetBox(double box[9], double origin[3]) override {
    std::copy(frame_.box, frame_.box + 9, box);
    std::copy(frame_.origin, frame_.origin + 3, origin);
    return true;
  }
  BOND_INFO* GetBonds() override { return &frame_.bonds; }
  void SetBondCutoff(double) override {}

 private:
  ATOMS_DATA& frame_;
};

// n atoms on a simple cubic lattice of spacing 1.5, each bonded to its +x and +y neighbours
// (about two bonds per atom), alternating oxygen and hydrogen; with the atoms' colours.
struct Scene {
  ATOMS_DATA frame;
  qv::PodVector<uint32_t> colors;
  double edge = 0;
};

const Scene& MakeScene(int n) {
  static std::unique_ptr<Scene> cached;
  static int cachedN = -1;
  if (cachedN == n) return *cached;
  cached = std::make_unique<Scene>();
  cachedN = n;
  Scene& s = *cached;
  const int side = static_cast<int>(std::ceil(std::cbrt(static_cast<double>(n))));
  const float spacing = 1.5f;
  s.edge = side * spacing;
  ATOMS_DATA& f = s.frame;
  f.Allocate(n);
  for (int k = 0; k < 9; ++k) f.box[k] = k % 4 == 0 ? s.edge : 0;
  f.bonds.counts.resize(n);
  f.bonds.entries.resize(2 * static_cast<size_t>(n));
  int bonds = 0;
  for (int a = 0; a < n; ++a) {
    const int x = a % side, y = (a / side) % side, z = a / (side * side);
    f.atomicNumbers[a] = a % 3 == 0 ? 8 : 1;
    f.positions[3 * a] = (x + 0.5f) * spacing;
    f.positions[3 * a + 1] = (y + 0.5f) * spacing;
    f.positions[3 * a + 2] = (z + 0.5f) * spacing;
    f.bonds.counts[a] = 0;
    if (x + 1 < side && a + 1 < n) f.bonds.entries[bonds++] = {a, a + 1, spacing, 0, 0};
    if (y + 1 < side && a + side < n) f.bonds.entries[bonds++] = {a, a + side, 0, spacing, 0};
  }
  for (int b = 0; b < bonds; ++b) {
    ++f.bonds.counts[f.bonds.entries[b].i];
    ++f.bonds.counts[f.bonds.entries[b].j];
  }
  f.bonds.bondCount = bonds;
  qv::ColorTables tables;
  std::vector<qv::Rgba> scratch;
  qv::geo::FillAtomColors(f, &f.bonds, 0, tables, 160.1, scratch, s.colors);
  return s;
}

void BM_FillSphereBatches(benchmark::State& state) {
  const Scene& s = MakeScene(static_cast<int>(state.range(0)));
  qv::geo::Mesh sphere;
  qv::geo::BuildSphereMesh(4, 0.3f, sphere);
  const qv::PodVector<uint32_t>& colors = s.colors;
  qv::geo::BatchArrays batch;
  const size_t n = colors.size();
  const size_t per = qv::geo::BatchCapacity(512LL * 1048576, sphere);
  // The arrays only grow: the first fill pays for the pages, later frames do not.
  qv::geo::FillSphereBatch(sphere, s.frame.positions.data(), colors.data(), 0, std::min(n, per),
                        batch);
  size_t vertices = 0;
  for (auto _ : state) {
    for (size_t first = 0; first < n; first += per) {
      qv::geo::FillSphereBatch(sphere, s.frame.positions.data(), colors.data(), first,
                            std::min(n, first + per), batch);
      vertices += batch.vertexCount;
      benchmark::DoNotOptimize(batch.positions.data());
    }
  }
  state.counters["sphere_vertices_per_s"] =
      benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillSphereBatches)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FillBondBatches(benchmark::State& state) {
  const Scene& s = MakeScene(static_cast<int>(state.range(0)));
  qv::geo::Mesh cylinder;
  qv::geo::BuildCylinderMesh(3, 0.075f, cylinder);
  const qv::PodVector<uint32_t>& colors = s.colors;
  qv::geo::BatchArrays batch;
  const size_t n = static_cast<size_t>(s.frame.bonds.bondCount);
  const size_t per = qv::geo::BatchCapacity(512LL * 1048576, cylinder);
  qv::geo::FillBondBatch(cylinder, s.frame.bonds.entries.data(), s.frame.positions.data(),
                      colors.data(), s.frame.atomCount, 0, std::min(n, per), batch);
  size_t vertices = 0;
  for (auto _ : state) {
    for (size_t first = 0; first < n; first += per) {
      qv::geo::FillBondBatch(cylinder, s.frame.bonds.entries.data(), s.frame.positions.data(),
                          colors.data(), s.frame.atomCount, first, std::min(n, first + per),
                          batch);
      vertices += batch.vertexCount;
      benchmark::DoNotOptimize(batch.positions.data());
    }
  }
  state.counters["bonds"] = static_cast<double>(n);
  state.counters["cylinder_vertices_per_s"] =
      benchmark::Counter(static_cast<double>(vertices), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FillBondBatches)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// One whole frame at 640 x 480: clear, camera, spheres and bonds (refilled every frame, as
// atoms and bonds share the arrays), box, finish.
void BM_FrameSpheresWithBonds(benchmark::State& state) {
  const Scene& s = MakeScene(static_cast<int>(state.range(0)));
  std::string why;
  if (!HeadlessEGLSurface::Available(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  HeadlessEGLSurface surface(640, 480);
  GraphicDeviceGL15 device(&surface);
  if (device.Initialize(640, 480, 2) != 0) {
    state.SkipWithError("device initialisation failed");
    return;
  }
  AtomRendererGL renderer;
  DisplayValues display;
  SceneSettings settings;
  qv::scene::AtomsItem item;
  item.frame = &s.frame;
  item.bonds = &s.frame.bonds;
  item.drawBonds = true;
  item.colors = s.colors.data();
  item.atomCount = s.colors.size();
  item.key.frame = &s.frame;
  CameraGL fitted;
  fitted.FitToData(s.frame.box, s.frame.origin);
  const SceneCamera camera = SceneCamera::From(fitted);
  auto frame = [&] {
    device.BeginFrame();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 640, 480);
    qvgl::LoadProjection(0, 640, 480, 0, 0, 640, 480, camera);
    double view[16];
    std::copy(camera.view, camera.view + 16, view);
    view[2] = -view[2], view[6] = -view[6], view[10] = -view[10], view[14] = -view[14];
    glLoadMatrixd(view);
    renderer.Draw(item, display, settings);
    device.EndFrame();  // finishes the GL work
  };
  frame();  // meshes built and arrays grown once, as in the viewer after its first frame
  double fill = 0;
  for (auto _ : state) {
    frame();
    fill += renderer.LastFillSeconds();
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["fill_ms"] = 1000 * fill / frames;
  state.counters["atoms"] = static_cast<double>(s.frame.atomCount);
  state.counters["bonds"] = static_cast<double>(s.frame.bonds.bondCount);
}
// llvmpipe on two cores needs seconds for the larger scene: few iterations.
BENCHMARK(BM_FrameSpheresWithBonds)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FrameSpheresWithBonds)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The same frame through the whole path the viewer takes: the scene plan (colour words kept
// in the cache while the frame does not change) drawn by a back end and presented. Args:
// atoms, back end (0 fixed-function, 1 shader), atom style (1 spheres with bonds, 2 points).
// "submit_ms" is the part before the present: planning and issuing the draws. The program's
// own share of it for an unchanged frame is next to nothing (no buffer is refilled); on
// llvmpipe the driver's vertex and geometry work runs inside the draw calls and is counted
// here too, the rasterising in the present.
void BM_FrameThroughBackEnd(benchmark::State& state) {
  qv::RegisterDataTypes();
  const Scene& s = MakeScene(static_cast<int>(state.range(0)));
  const qv::BackEndKind kind =
      state.range(1) == 1 ? qv::BackEndKind::kShader : qv::BackEndKind::kFixedFunction;
  auto c = std::make_shared<SceneTrajectory>(s.frame);
  DataSetList list;
  list.Append(qv::MakeEntry(kTypeMD, "/tmp/bench.fa2", c));
  std::string why;
  std::unique_ptr<qv::HeadlessDrawing> d = qv::HeadlessDrawing::Open(kind, 640, 480, 2, why);
  if (!d) {
    state.SkipWithError(why.c_str());
    return;
  }
  CameraGL camera;
  camera.FitToData(s.frame.box, s.frame.origin);
  DisplayValues display;
  display.atomStyle = static_cast<int>(state.range(2));
  const SceneSettings settings;
  qv::scene::SceneCache cache;
  double cpu = 0;
  auto frame = [&] {
    const SceneCamera view = SceneCamera::From(camera);
    d->Device().BeginFrame();
    const auto start = std::chrono::steady_clock::now();
    const qv::scene::ScenePlan plan = qv::scene::BuildScene(
        list, display, settings, SceneTile::Whole(640, 480), qv::scene::ScenePurpose::kScreen,
        &cache);
    d->BackEnd().DrawPlan(plan, view, d->Surface().Framebuffer());
    cpu += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    d->Device().EndFrame();  // finishes the GL work
  };
  frame();  // buffers filled once, as in the viewer after its first frame
  cpu = 0;
  for (auto _ : state) frame();
  state.counters["submit_ms"] = 1000 * cpu / static_cast<double>(state.iterations());
  state.counters["atoms"] = static_cast<double>(s.frame.atomCount);
  state.SetLabel(std::string(qv::BackEndName(kind)) +
                 (display.atomStyle == kAtomStylePoints ? " points" : " spheres+bonds"));
}
// llvmpipe on two cores needs seconds for the larger scenes: few iterations.
BENCHMARK(BM_FrameThroughBackEnd)
    ->Args({100000, 0, 1})
    ->Args({100000, 1, 1})
    ->Args({100000, 0, 2})
    ->Args({100000, 1, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_FrameThroughBackEnd)
    ->Args({1000000, 0, 2})
    ->Args({1000000, 1, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// The CPU cost of planning a frame whose data did not change: what every back end pays before
// it draws.
void BM_BuildScenePlan(benchmark::State& state) {
  qv::RegisterDataTypes();
  const Scene& s = MakeScene(static_cast<int>(state.range(0)));
  auto c = std::make_shared<SceneTrajectory>(s.frame);
  DataSetList list;
  list.Append(qv::MakeEntry(kTypeMD, "/tmp/bench.fa2", c));
  DisplayValues display;
  const SceneSettings settings;
  qv::scene::SceneCache cache;
  for (auto _ : state) {
    qv::scene::ScenePlan plan = qv::scene::BuildScene(
        list, display, settings, SceneTile::Whole(640, 480), qv::scene::ScenePurpose::kScreen,
        &cache);
    benchmark::DoNotOptimize(plan.cells.data());
  }
}
BENCHMARK(BM_BuildScenePlan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

// Polygon models: loading a million-triangle model of each format and drawing one through
// each back end (compare with BM_FrameThroughBackEnd's 100,000 atoms).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

#include "app/BackEndFactory.h"
#include "app/DataTypes.h"
#include "auxdata/poly/MQOLoader.h"
#include "auxdata/poly/PMDLoader.h"
#include "auxdata/poly/VRMLLoader.h"
#include "data/DataSetList.h"
#include "rendering/headless/HeadlessEGLSurface.h"
#include "rendering/scene/ScenePlan.h"

namespace {

constexpr int kSide = 708;  // 2 * 707^2 = 999,698 triangles on a grid of 708^2 vertices

// A wavy grid surface; 32-bit indices (more than 65,536 vertices).
std::string PmdGrid() {
  std::string b = "Pmd";
  auto put = [&](const void* p, size_t n) { b.append(static_cast<const char*>(p), n); };
  const float version = 1;
  put(&version, 4);
  b.append(276, '\0');
  const uint32_t nv = kSide * kSide;
  put(&nv, 4);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const float v[8] = {float(x), float(y), std::sin(0.1f * x) * std::cos(0.1f * y), 0, 0, 1,
                          float(x) / kSide, float(y) / kSide};
      put(v, 32);
      b.append(6, '\0');
    }
  }
  const uint32_t ni = 6u * (kSide - 1) * (kSide - 1);
  put(&ni, 4);
  for (uint32_t y = 0; y + 1 < kSide; ++y) {
    for (uint32_t x = 0; x + 1 < kSide; ++x) {
      const uint32_t a = y * kSide + x, q[6] = {a, a + 1, a + kSide, a + 1, a + kSide + 1, a + kSide};
      put(q, sizeof q);
    }
  }
  const uint32_t nm = 1;
  put(&nm, 4);
  const float diffuse[4] = {0.8f, 0.6f, 0.4f, 1};
  put(diffuse, 16);
  b.append(30, '\0');
  put(&ni, 4);
  b.append(20, '\0');
  return b;
}

std::string TextGrid(bool vrml) {
  std::string t = vrml ? "#VRML V2.0 utf8\nShape { geometry IndexedFaceSet { coord Coordinate { point [\n"
                       : "Material 1 {\n\"m\" col(0.8 0.6 0.4 1)\n}\nObject \"grid\" {\nvertex " +
                             std::to_string(kSide * kSide) + " {\n";
  char line[128];
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      t.append(line, static_cast<size_t>(std::snprintf(line, sizeof line, "%d %d %.4f\n", x, y,
                                                       std::sin(0.1 * x) * std::cos(0.1 * y))));
    }
  }
  t += vrml ? "] }\ncoordIndex [\n" : "}\nface " + std::to_string(2 * (kSide - 1) * (kSide - 1)) + " {\n";
  for (int y = 0; y + 1 < kSide; ++y) {
    for (int x = 0; x + 1 < kSide; ++x) {
      const int a = y * kSide + x;
      const int tri[2][3] = {{a, a + 1, a + kSide}, {a + 1, a + kSide + 1, a + kSide}};
      for (const auto& v : tri) {
        const int n = vrml ? std::snprintf(line, sizeof line, "%d %d %d -1\n", v[0], v[1], v[2])
                           : std::snprintf(line, sizeof line, "3 V(%d %d %d) M(0) UV(0 0 1 0 0 1)\n", v[0], v[1], v[2]);
        t.append(line, static_cast<size_t>(n));
      }
    }
  }
  t += vrml ? "] } }\n" : "}\n}\n";
  return t;
}

void BM_LoadPmd(benchmark::State& state) {
  const std::string bytes = PmdGrid();
  for (auto _ : state) {
    PMDLoader m;
    if (m.Parse(bytes, "/tmp/grid.pmd") != 0) state.SkipWithError(m.Error().c_str());
    benchmark::DoNotOptimize(m.VertexCount());
  }
  state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_LoadPmd)->Unit(benchmark::kMillisecond)->Iterations(3);

template <class Loader>
void BM_LoadText(benchmark::State& state) {
  const std::string text = TextGrid(std::is_same_v<Loader, VRMLLoader>);
  for (auto _ : state) {
    Loader m;
    if (m.Parse(text, "/tmp/grid") != 0) state.SkipWithError(m.Error().c_str());
    benchmark::DoNotOptimize(m.VertexCount());
  }
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_LoadText<MQOLoader>)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadText<VRMLLoader>)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg: back end (0 fixed-function, 1 shader). The first frame fills the buffers.
void BM_DrawMillionTriangles(benchmark::State& state) {
  qv::RegisterDataTypes();
  auto model = std::make_shared<PMDLoader>();
  if (model->Parse(PmdGrid(), "/tmp/grid.pmd") != 0) return state.SkipWithError("no model");
  model->SwapAxes();
  const qv::BackEndKind kind = state.range(0) == 1 ? qv::BackEndKind::kShader : qv::BackEndKind::kFixedFunction;
  DataSetList list;
  list.Append(qv::MakeEntry(kTypePolygon, "/tmp/grid.pmd", model));
  std::string why;
  std::unique_ptr<qv::HeadlessDrawing> d = qv::HeadlessDrawing::Open(kind, 640, 480, 2, why);
  if (!d) return state.SkipWithError(why.c_str());
  double box[9], origin[3];
  model->Bounds(box, origin);
  CameraGL camera;
  camera.FitToData(box, origin);
  const DisplayValues display;
  const SceneSettings settings;
  auto frame = [&] {
    d->Device().BeginFrame();
    const qv::scene::ScenePlan plan = qv::scene::BuildScene(list, display, settings, SceneTile::Whole(640, 480));
    d->BackEnd().DrawPlan(plan, SceneCamera::From(camera), d->Surface().Framebuffer());
    d->Device().EndFrame();
  };
  frame();
  for (auto _ : state) frame();
  state.SetLabel(qv::BackEndName(kind));
}
BENCHMARK(BM_DrawMillionTriangles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

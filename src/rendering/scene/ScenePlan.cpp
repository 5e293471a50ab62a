#include "rendering/scene/ScenePlan.h"

#include <algorithm>

#include "rendering/ViewLayout.h"

const qv::ColorTables& SceneSettings::Colors() const {
  static const qv::ColorTables defaults;
  return colors ? *colors : defaults;
}

SceneCamera SceneCamera::From(const CameraGL& camera) {
  double view[16];
  camera.ViewMatrix(view);
  return From(camera, view, camera.Distance());
}

SceneCamera SceneCamera::From(const CameraGL& camera, const double view[16], double distance) {
  SceneCamera s;
  std::copy(view, view + 16, s.view);
  s.distance = distance;
  s.camera = camera;
  return s;
}

namespace qv::scene {

size_t ScenePlan::ItemCount() const {
  size_t n = 0;
  for (const SceneCell& c : cells) n += c.items.size();
  return n;
}

SceneBuilders& SceneBuilders::Instance() {
  static SceneBuilders builders;
  return builders;
}

bool SceneBuilders::Register(int32_t type, SceneBuilderFn builder) {
  if (!builder || Find(type)) return false;
  builders_.emplace_back(type, builder);
  return true;
}

SceneBuilderFn SceneBuilders::Find(int32_t type) const {
  for (const auto& [t, fn] : builders_) {
    if (t == type) return fn;
  }
  return nullptr;
}

namespace {

void AddItems(const DataSetList& dataSets, size_t k, const DisplayValues& display,
              const SceneSettings& settings, ScenePlan& plan, SceneCache* cache,
              std::vector<DrawItem>& out) {
  const LawData& entry = dataSets[k];
  const SceneBuilderFn build = SceneBuilders::Instance().Find(entry.type);
  if (!build) return;
  SceneContext context{display, settings, plan, cache, static_cast<int>(k)};
  build(entry, context, out);
}

}  // namespace

ScenePlan BuildScene(const DataSetList& dataSets, const DisplayValues& display,
                     const SceneSettings& settings, const SceneTile& tile, ScenePurpose purpose,
                     SceneCache* cache, const std::vector<OverlayItem>* overlay) {
  ScenePlan plan;
  plan.tile = tile;
  plan.display = display;
  plan.settings = settings;
  if (overlay && purpose == ScenePurpose::kScreen) plan.overlay = *overlay;
  // The shader back end's bitmap outputs write nothing while a scalar field comes first.
  if (const LawData* first = dataSets.First()) plan.refusesShaderBitmap = first->type == kTypeScalarField;
  if (tile.width <= 0 || tile.height <= 0 || tile.fullWidth <= 0 || tile.fullHeight <= 0)
    return plan;
  const size_t n = dataSets.Size();
  // A cell shows one data set (side by side) or all of them (-1) in a part of the tile.
  auto addCell = [&](const TileCell& c) {
    SceneCell cell;
    cell.dataSet = c.dataSet;
    cell.viewportX = c.viewportX, cell.viewportY = c.viewportY;
    cell.viewportW = c.viewportW, cell.viewportH = c.viewportH;
    cell.cellW = c.cellW, cell.cellH = c.cellH, cell.subX = c.subX, cell.subY = c.subY;
    for (size_t k = 0; k < n; ++k) {
      if (c.dataSet < 0 || static_cast<size_t>(c.dataSet) == k)
        AddItems(dataSets, k, display, settings, plan, cache, cell.items);
    }
    plan.cells.push_back(std::move(cell));
  };
  if (n > 1 && display.multiData != kLayoutOverlaid) {
    const std::vector<ViewCell> layout =
        LayoutViewCells(static_cast<int>(n), tile.fullWidth, tile.fullHeight);
    for (const TileCell& c : ClipCellsToTile(layout, tile.x, tile.y, tile.width, tile.height))
      addCell(c);
  } else {
    addCell(TileCell{-1, 0, 0, tile.width, tile.height, tile.fullWidth, tile.fullHeight, tile.x,
                     tile.y});
  }
  return plan;
}

}  // namespace qv::scene

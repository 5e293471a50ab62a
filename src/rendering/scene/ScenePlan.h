#pragma once
// What one picture shows, decided once and drawn by whichever back end is active: the view
// cells of the layout with their viewports and projections, and in each an ordered list of
// draw items made by the scene builder of each data set's type. Items point into the data
// sets (the plan copies no per-atom array) and carry the key of what they were made from,
// so a back end that kept arrays for an equal key draws them again instead of refilling.
// Nothing here knows a graphics API.
#include <array>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "data/AtomsData.h"
#include "data/DataSetList.h"
#include "data/ElementTable.h"
#include "data/PodVector.h"
#include "rendering/Camera.h"
#include "rendering/scene/GridPointsItems.h"
#include "rendering/scene/LatticeItems.h"
#include "rendering/scene/ParticleEventsItems.h"
#include "rendering/PressureNotice.h"
#include "rendering/scene/FieldItems.h"
#include "rendering/scene/ScatteringItems.h"
#include "rendering/scene/PolygonItems.h"
#include "shell/settings/DisplayOptions.h"

// What the draw reads beside the display values: the settings as the application converts
// them (the back ends never see the settings file).
struct SceneSettings {
  const qv::ColorTables* colors = nullptr;  // element and bond-count tables; defaults when null
  // Raised by the application whenever the tables behind `colors` change in place.
  uint32_t colorsRevision = 0;
  int64_t vramBytes = 512LL * 1048576;      // bounds the arrays of one draw call
  double maxPressure = 160.1;
  std::array<float, 3> traceColor = {1, 1, 1};
  float traceWidth = 0.5f;
  // The height colouring's centre and half range (each used only when above 0).
  double heightCenter = 0.0;
  double heightRange = 0.0;
  int renderingFilter = 0;  // 1: the shader back end's depth-of-field filter
  int historyFrame = 0;  // trail length of particle event records (VISUAL "HistoryFrame")
  // False for a back end whose spheres cannot show pressure colours: in pressure mode they
  // get the element colours, and the notice (when given) hears of it.
  bool spheresShowPressure = true;
  qv::PressureNotice* pressureNotice = nullptr;

  const qv::ColorTables& Colors() const;
};

// The camera as the scene needs it: a view matrix and distance (computed once per picture by
// the caller) and the camera whose view angle and clip factors build the projections.
struct SceneCamera {
  double view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // z forward, column-major
  double distance = 50.0;
  CameraGL camera;

  static SceneCamera From(const CameraGL& camera);
  static SceneCamera From(const CameraGL& camera, const double view[16], double distance);
};

// The part of a (possibly larger) image that the framebuffer receives at (0, 0).
struct SceneTile {
  int fullWidth = 0, fullHeight = 0;
  int x = 0, y = 0, width = 0, height = 0;  // y counted from the bottom of the full image
  static SceneTile Whole(int w, int h) { return {w, h, 0, 0, w, h}; }
};

namespace qv::scene {

// What an atoms item's colours and batch contents are made from.
struct AtomsKey {
  const ATOMS_DATA* frame = nullptr;
  int32_t index = -1;  // the same record may hold another frame later
  const float* positions = nullptr;
  int32_t atomCount = -1;
  int32_t bondCount = -1;
  uint32_t bondRevision = 0;
  int colorMode = -1;
  const qv::ColorTables* tables = nullptr;
  uint32_t tablesRevision = 0;

  bool operator==(const AtomsKey&) const = default;
};

// Atoms of one frame as polygon spheres (with bond cylinders when `drawBonds`) or as points.
struct AtomsItem {
  const ATOMS_DATA* frame = nullptr;
  const BOND_INFO* bonds = nullptr;  // null when the frame has none
  int style = kAtomStylePolygons;    // kAtomStylePolygons or kAtomStylePoints
  bool drawBonds = false;
  const uint32_t* colors = nullptr;  // one colour word per atom (bytes r g b a); alpha 0 hides
  size_t atomCount = 0;              // atoms with a colour and a position
  int colorMode = qv::kColorByElement;
  AtomsKey key;
};

// The twelve edges of the parallelepiped with corner `origin` and edges a, b, c.
struct BoxItem {
  float a[3] = {}, b[3] = {}, c[3] = {}, origin[3] = {};
  std::array<float, 4> color = {1, 1, 1, 1};
};

// A line strip through the points in order, unlit. `width` is in units of the picture's line
// width (a magnified bitmap widens it by its magnification).
struct PolylineItem {
  std::vector<float> points;  // x y z per point
  std::array<float, 3> color = {1, 1, 1};
  float width = 1;
};

struct DrawItem {
  int dataSet = 0;  // position of the data set in the list
  std::variant<AtomsItem, BoxItem, PolylineItem,
               LatticeItem,
               ParticleEventsItem,
               GridPointsItem,
               PathsItem,
               FieldCellsItem,
               MeshItem>
      what;
};

// One viewport of the picture and what is drawn there.
struct SceneCell {
  int dataSet = -1;  // the data set of a side-by-side cell; -1: every data set superimposed
  // The viewport in the framebuffer (the tile), y from the bottom.
  int viewportX = 0, viewportY = 0, viewportW = 0, viewportH = 0;
  // The projection: the cell is the full picture, the viewport shows the sub-rectangle
  // (subX, subY, viewportW, viewportH) of it, y from the bottom.
  int cellW = 0, cellH = 0, subX = 0, subY = 0;
  std::vector<DrawItem> items;

  // For back ends counting y from the top.
  int SubYFromTop() const { return cellH - subY - viewportH; }
  int ViewportYFromTop(int tileHeight) const { return tileHeight - viewportY - viewportH; }
};

// A decoded overlay image: rows from the top, 4 bytes r g b a (not premultiplied) a pixel.
// Images live for the whole run, so a back end may key its textures by their address.
struct OverlayImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

// Screen-only elements over the scene (buttons, panels): pixels of the window, y from the
// top, drawn in order with alpha blending after every cell.
struct OverlayItem {
  float left = 0, top = 0, right = 0, bottom = 0;
  // The fill, or the factor the image's colours are multiplied by.
  std::array<float, 4> color = {0, 0, 0, 0};
  int image = -1;                       // its number in the overlay's set; -1 for a fill
  const OverlayImage* bitmap = nullptr;  // the image's pixels; null for a filled rectangle
};

// Who the picture is for: the window shows the overlay; bitmaps and EPS never do.
enum class ScenePurpose { kScreen, kImage };

struct ScenePlan {
  SceneTile tile;
  // What the drawing reads besides the items: projection, background, meshes' levels and
  // radius, the batch budget.
  DisplayValues display;
  SceneSettings settings;
  std::vector<SceneCell> cells;
  std::vector<OverlayItem> overlay;  // always empty for ScenePurpose::kImage
  // Set by the builder of a first data set whose type the shader back end writes no bitmap
  // of: its bitmap outputs then write nothing.
  bool refusesShaderBitmap = false;

  // Colour words of items built without a cache.
  std::vector<std::unique_ptr<qv::PodVector<uint32_t>>> ownedColors;

  size_t ItemCount() const;
};

// Colour words kept between plans, one slot per data set, recomputed only when an item's key
// changes. The plans built with it point into it: it must outlive them.
class SceneCache {
 public:
  // The colour words for the slot, filled by `fill` unless the slot was last filled for an
  // equal key. Returns the words and whether they were (re)filled.
  template <class Fill>
  const qv::PodVector<uint32_t>& Colors(size_t slot, const AtomsKey& key, Fill fill,
                                        bool* refilled = nullptr) {
    if (slots_.size() <= slot) slots_.resize(slot + 1);
    Slot& s = slots_[slot];
    const bool stale = !s.valid || !(s.key == key);
    if (stale) {
      fill(s.colors);
      s.key = key;
      s.valid = true;
    }
    if (refilled) *refilled = stale;
    return s.colors;
  }
  void Clear() { slots_.clear(); }

 private:
  struct Slot {
    bool valid = false;
    AtomsKey key;
    qv::PodVector<uint32_t> colors;
  };
  std::vector<Slot> slots_;
};

// Everything a scene builder may read while it adds the items of one data set.
struct SceneContext {
  const DisplayValues& display;
  const SceneSettings& settings;
  ScenePlan& plan;
  SceneCache* cache;  // may be null
  int dataSet;

  // The colour words for an atoms item: from the cache (by key) or computed into the plan.
  template <class Fill>
  const qv::PodVector<uint32_t>& Colors(const AtomsKey& key, Fill fill) {
    if (cache) return cache->Colors(static_cast<size_t>(dataSet), key, fill);
    plan.ownedColors.push_back(std::make_unique<qv::PodVector<uint32_t>>());
    fill(*plan.ownedColors.back());
    return *plan.ownedColors.back();
  }
};

// Adds the draw items of one data set, in drawing order.
using SceneBuilderFn = void (*)(const LawData& entry, SceneContext& context,
                                std::vector<DrawItem>& out);

// The builders by type code. Filled by the application's registration call.
class SceneBuilders {
 public:
  static SceneBuilders& Instance();
  // Refused (false) when the type already has a builder.
  bool Register(int32_t type, SceneBuilderFn builder);
  SceneBuilderFn Find(int32_t type) const;

 private:
  std::vector<std::pair<int32_t, SceneBuilderFn>> builders_;
};

// The plan of the picture of every data set: the full picture is tile.fullWidth x
// tile.fullHeight, of which the framebuffer shows the tile. Data sets whose type has no
// builder, or without a current frame, contribute nothing. With several data sets and the
// side-by-side layout each gets the cell of the layout (cells the tile misses are left out);
// otherwise one cell holds all of them in list order. The overlay items go into a screen
// plan only.
ScenePlan BuildScene(const DataSetList& dataSets, const DisplayValues& display,
                     const SceneSettings& settings, const SceneTile& tile,
                     ScenePurpose purpose = ScenePurpose::kScreen, SceneCache* cache = nullptr,
                     const std::vector<OverlayItem>* overlay = nullptr);

// The atomistic trajectory's builder: atoms (spheres with bonds, or points) unless the atom
// style hides them, the box unless hidden or the format carries none, the traced atom's path.
void BuildTrajectoryScene(const LawData& entry, SceneContext& context,
                          std::vector<DrawItem>& out);

}  // namespace qv::scene

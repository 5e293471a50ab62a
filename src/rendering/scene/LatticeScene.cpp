#include "rendering/scene/LatticeScene.h"

#include <algorithm>
#include <cmath>

#include "auxdata/lmc/LatticeTypes.h"
#include "rendering/Coloring.h"

namespace qv::scene {

namespace {

uint32_t Word(qv::Rgba c) { return static_cast<uint32_t>(qv::PackColor(c)); }

qv::Rgba Hue(double h) {
  // HSV with full saturation and value, h in turns.
  h -= std::floor(h);
  const double x = h * 6;
  const int sector = static_cast<int>(x) % 6;
  const double f = x - std::floor(x);
  double r = 0, g = 0, b = 0;
  switch (sector) {
    case 0: r = 1, g = f; break;
    case 1: r = 1 - f, g = 1; break;
    case 2: g = 1, b = f; break;
    case 3: g = 1 - f, b = 1; break;
    case 4: r = f, b = 1; break;
    default: r = 1, b = 1 - f; break;
  }
  const auto byte = [](double v) { return static_cast<uint8_t>(std::lround(55 + 200 * v)); };
  return {byte(r), byte(g), byte(b), 255};
}

}  // namespace

std::vector<uint32_t> LatticeSpeciesColors(const std::vector<std::string>& species,
                                           const qv::ColorTables& tables) {
  std::vector<uint32_t> out;
  int others = 0;
  for (const std::string& name : species) {
    const int z = qv::AtomicNumberOf(name);
    if (z >= 1) {
      out.push_back(Word(tables.Element(z)));
    } else {
      out.push_back(Word(Hue(0.6180339887 * others++)));
    }
  }
  return out;
}

void FillLatticePoints(const LatticeItem& item, qv::PodVector<float>& xyz, qv::PodVector<uint32_t>& colors) {
  xyz.clear();
  colors.clear();
  const LMC_Holder* h = item.holder;
  if (!h) return;
  const size_t s = static_cast<size_t>(h->SpeciesCount());
  const qv::PodVector<int8_t>& occ = h->Occupancy();
  if (s == 0 || item.speciesColors.size() < s) return;
  const double* b = h->box;
  size_t cell = 0;
  for (int z = 0; z < h->nz; ++z) {
    for (int y = 0; y < h->ny; ++y) {
      for (int x = 0; x < h->nx; ++x, ++cell) {
        for (size_t k = 0; k < s; ++k) {
          const size_t i = cell * s + k;
          if (i >= occ.size() || occ[i] <= 0) continue;
          const double t = static_cast<double>(k + 1) / static_cast<double>(s + 1);
          const double f[3] = {(x + t) / h->nx, (y + t) / h->ny, (z + t) / h->nz};
          for (int c = 0; c < 3; ++c) {
            xyz.push_back(static_cast<float>(f[0] * b[c] + f[1] * b[3 + c] + f[2] * b[6 + c]));
          }
          colors.push_back(item.speciesColors[k]);
        }
      }
    }
  }
}

void BuildLatticeScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const LMC_Holder* h = qv::LatticeOf(entry);
  if (!h) return;
  {
    // The atom-style menu is not offered for this kind: its points always show.
    LatticeItem item;
    item.holder = h;
    item.speciesColors = LatticeSpeciesColors(h->Species(), ctx.settings.Colors());
    // Points a little under half the shortest cell edge, shrunk when several species share
    // a cell's diagonal.
    double edge = 0;
    for (int a = 0; a < 3; ++a) {
      const double* v = h->box + 3 * a;
      const int n = a == 0 ? h->nx : a == 1 ? h->ny : h->nz;
      const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) / std::max(n, 1);
      edge = a == 0 ? len : std::min(edge, len);
    }
    item.pointSize = static_cast<float>(0.45 * edge / std::cbrt(std::max(h->SpeciesCount(), 1)));
    item.key = {h, h->AppliedSteps(), &ctx.settings.Colors(), ctx.settings.colorsRevision};
    out.push_back({ctx.dataSet, std::move(item)});
  }
  if (ctx.display.box != kBoxOff) {
    BoxItem box;
    for (int k = 0; k < 3; ++k) {
      box.a[k] = static_cast<float>(h->box[k]);
      box.b[k] = static_cast<float>(h->box[3 + k]);
      box.c[k] = static_cast<float>(h->box[6 + k]);
    }
    box.color = qv::BoxLineColor(ctx.display.background);
    out.push_back({ctx.dataSet, box});
  }
}

}  // namespace qv::scene

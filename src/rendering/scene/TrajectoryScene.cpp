// The scene builder of atomistic trajectories.
#include "data/DataTypeRegistry.h"
#include "rendering/Coloring.h"
#include "rendering/SceneGeometry.h"
#include "rendering/scene/ScenePlan.h"

namespace qv::scene {

void BuildTrajectoryScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const ATOMS_DATA* frame = entry.CurrentAtoms();
  if (!frame) return;
  const DisplayValues& display = ctx.display;
  if (display.atomStyle == kAtomStylePolygons || display.atomStyle == kAtomStylePoints) {
    // Bonds are determined on first request, also for the colours of the point style.
    const BOND_INFO* bonds = entry.CurrentBonds();
    int colorMode = display.colorMode;
    if (colorMode == kColorByPressure && display.atomStyle == kAtomStylePolygons &&
        !ctx.settings.spheresShowPressure) {
      colorMode = kColorByElement;
      if (ctx.settings.pressureNotice) ctx.settings.pressureNotice->Drawn();
    }
    AtomsKey key;
    key.frame = frame;
    key.index = frame->index;
    key.positions = frame->positions.data();
    key.atomCount = frame->atomCount;
    key.bondCount = bonds ? bonds->bondCount : -1;
    key.bondRevision = bonds ? bonds->revision : 0;
    key.colorMode = colorMode;
    key.tables = &ctx.settings.Colors();
    key.tablesRevision = ctx.settings.colorsRevision;
    const qv::PodVector<uint32_t>& colors = ctx.Colors(key, [&](qv::PodVector<uint32_t>& words) {
      std::vector<qv::Rgba> scratch;
      geo::FillAtomColors(*frame, bonds, colorMode, ctx.settings.Colors(),
                          ctx.settings.maxPressure, scratch, words);
    });
    // A frame without positions for every atom shows no atoms.
    if (frame->positions.size() >= 3 * colors.size()) {
      AtomsItem atoms;
      atoms.frame = frame;
      atoms.bonds = bonds;
      atoms.style = display.atomStyle;
      atoms.drawBonds = display.atomStyle == kAtomStylePolygons && display.bondStyle != kBondsOff;
      atoms.colors = colors.data();
      atoms.atomCount = colors.size();
      atoms.colorMode = colorMode;
      atoms.key = key;
      out.push_back({ctx.dataSet, atoms});
    }
  }
  const DataTypeRow* row = DataTypeRegistry::Instance().Find(entry.Extension());
  if (display.box != kBoxOff && (!row || row->hasBox || frame->cellFromFile)) {
    BoxItem box;
    for (int k = 0; k < 3; ++k) {
      box.a[k] = static_cast<float>(frame->box[k]);
      box.b[k] = static_cast<float>(frame->box[3 + k]);
      box.c[k] = static_cast<float>(frame->box[6 + k]);
      box.origin[k] = static_cast<float>(frame->origin[k]);
    }
    box.color = qv::BoxLineColor(display.background);
    out.push_back({ctx.dataSet, box});
  }
  if (entry.trace.size() >= 2) {
    PolylineItem trace;
    trace.points.reserve(3 * entry.trace.size());
    for (const auto& [index, p] : entry.trace) trace.points.insert(trace.points.end(), p.begin(), p.end());
    trace.color = ctx.settings.traceColor;
    trace.width = ctx.settings.traceWidth;
    out.push_back({ctx.dataSet, std::move(trace)});
  }
}

}  // namespace qv::scene

#include "rendering/scene/ParticleEventsScene.h"

#include "auxdata/krb/ParticleEventTypes.h"
#include "rendering/Coloring.h"

namespace qv::scene {

void FillParticleEvents(const ParticleEventsItem& item, ParticleEventsArrays& a) {
  ++a.fills;
  ATOMS_DATA& p = a.particles;
  p.positions.clear();
  p.atomicNumbers.clear();
  a.colors.clear();
  a.segments.clear();
  a.segmentColors.clear();
  if (!item.reader) return;
  a.replay.Run(*item.reader, item.trail);
  static const qv::ColorTables defaults;
  const qv::ColorTables& tables = item.tables ? *item.tables : defaults;
  a.replay.Live().ForEach([&](int64_t, const KrbParticle& live) {
    p.positions.insert(p.positions.end(), {live.x, live.y, live.z});
    p.atomicNumbers.push_back(live.species);
    a.colors.push_back(static_cast<uint32_t>(qv::PackColor(tables.Element(live.species))));
  });
  p.atomCount = static_cast<int32_t>(p.atomicNumbers.size());
  p.index = static_cast<int32_t>(a.fills);
  for (const KrbSegment& s : a.replay.Segments()) {
    const qv::Rgba c = tables.Element(s.species);
    if (c.a == 0) continue;
    a.segments.insert(a.segments.end(), {s.from[0], s.from[1], s.from[2], s.to[0], s.to[1], s.to[2]});
    const uint32_t w = static_cast<uint32_t>(qv::PackColor(c));
    a.segmentColors.insert(a.segmentColors.end(), {w, w});
  }
}

AtomsItem ParticleEventsAtoms(const ParticleEventsItem& item, const ParticleEventsArrays& a) {
  AtomsItem atoms;
  atoms.frame = &a.particles;
  atoms.style = item.style;
  atoms.colors = a.colors.data();
  atoms.atomCount = a.colors.size();
  atoms.key.frame = &a.particles;
  atoms.key.index = a.particles.index;
  atoms.key.positions = a.particles.positions.data();
  atoms.key.atomCount = a.particles.atomCount;
  atoms.key.colorMode = qv::kColorByElement;
  return atoms;
}

void BuildParticleEventsScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const KRB_Reader* k = qv::ParticleEventsOf(entry);
  if (!k) return;
  const int style = ctx.display.atomStyle;
  if (style == kAtomStylePolygons || style == kAtomStylePoints) {
    ParticleEventsItem item;
    item.reader = k;
    item.tables = &ctx.settings.Colors();
    item.trail = ctx.settings.historyFrame;
    item.style = style;
    item.lineWidth = ctx.settings.traceWidth;
    item.key = {k, k->VisibleCount(), item.trail, item.tables, ctx.settings.colorsRevision};
    out.push_back({ctx.dataSet, item});
  }
  if (ctx.display.box != kBoxOff) {
    BoxItem box;
    for (int c = 0; c < 3; ++c) {
      box.a[c] = k->box[c];
      box.b[c] = k->box[3 + c];
      box.c[c] = k->box[6 + c];
      box.origin[c] = k->origin[c];
    }
    box.color = qv::BoxLineColor(ctx.display.background);
    out.push_back({ctx.dataSet, box});
  }
}

}  // namespace qv::scene

#include "rendering/gl33/KrbRendererGL33.h"

#include "rendering/gl33/PointRendererGL33.h"
#include "rendering/gl33/SphereRendererGL33.h"

namespace qvgl33 {

namespace {
template <class Slot>
Slot& SlotFor(std::vector<Slot>& slots, size_t dataSet) {
  if (slots.size() <= dataSet) slots.resize(dataSet + 1);
  return slots[dataSet];
}
}  // namespace

void KrbRendererGL33::Draw(const qv::scene::ParticleEventsItem& item, size_t dataSet,
                           SphereRendererGL33& spheres, PointRendererGL33& points,
                           const DisplayValues& display, const SceneSettings& settings,
                           const FrameMatrices& m) {
  Slot& s = SlotFor(slots_, dataSet);
  if (!s.arrays) s.arrays = std::make_unique<qv::scene::ParticleEventsArrays>();
  const bool refill = !s.valid || !(s.key == item.key);
  if (refill) {
    qv::scene::FillParticleEvents(item, *s.arrays);
    s.valid = true;
    s.key = item.key;
  }
  const qv::scene::AtomsItem atoms = qv::scene::ParticleEventsAtoms(item, *s.arrays);
  if (atoms.atomCount > 0) {
    if (item.style == kAtomStylePoints) points.Draw(atoms, dataSet, settings, m);
    else spheres.Draw(atoms, dataSet, display, settings, m);
  }
  segments_.Draw(dataSet, refill, s.arrays->segments.data(), s.arrays->segmentColors.data(),
                 s.arrays->segments.size() / 6, item.lineWidth, m);
}

}  // namespace qvgl33

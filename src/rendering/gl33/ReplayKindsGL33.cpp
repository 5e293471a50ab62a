#include "rendering/gl33/ReplayKindsGL33.h"

#include "auxdata/lmc/LMC_Holder.h"
#include "auxdata/vmec/VMEC_Repository.h"
#include "rendering/gl33/PointRendererGL33.h"
#include "rendering/gl33/SphereRendererGL33.h"
#include "rendering/scene/GridPointsScene.h"
#include "rendering/scene/LatticeScene.h"

namespace qvgl33 {

namespace {
template <class Slot>
Slot& SlotFor(std::vector<Slot>& slots, size_t dataSet) {
  if (slots.size() <= dataSet) slots.resize(dataSet + 1);
  return slots[dataSet];
}
}  // namespace

void LMCRendererGL33::Draw(const qv::scene::LatticeItem& item, size_t dataSet, const FrameMatrices& m) {
  if (!item.holder) return;
  Slot& s = SlotFor(slots_, dataSet);
  const bool refill = !s.valid || !(s.key == item.key);
  if (refill) {
    qv::scene::FillLatticePoints(item, xyz_, colors_);
    s.valid = true;
    s.key = item.key;
  }
  const double* b = item.holder->box;
  const float centre[3] = {static_cast<float>((b[0] + b[3] + b[6]) / 2),
                           static_cast<float>((b[1] + b[4] + b[7]) / 2),
                           static_cast<float>((b[2] + b[5] + b[8]) / 2)};
  points_.Draw(dataSet, refill, xyz_.data(), 3, colors_.data(), colors_.size(), item.pointSize, centre,
               false, m);
}

void VmecRendererGL33::Draw(const qv::scene::GridPointsItem& item, size_t dataSet, const FrameMatrices& m) {
  const VMEC_Repository* v = item.repo;
  if (!v) return;
  Slot& s = SlotFor(slots_, dataSet);
  const bool refill = !s.valid || !(s.key == item.key);
  if (refill) {
    qv::scene::FillGridPointColors(*v, colors_);
    s.valid = true;
    s.key = item.key;
  }
  const float centre[3] = {(v->minimum[0] + v->maximum[0]) / 2, (v->minimum[1] + v->maximum[1]) / 2,
                           (v->minimum[2] + v->maximum[2]) / 2};
  points_.Draw(dataSet, refill, v->Points().data(), static_cast<size_t>(v->Stride()), colors_.data(),
               colors_.size(), item.spriteSize, centre, true, m);
}

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

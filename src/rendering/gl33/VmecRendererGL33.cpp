#include "rendering/gl33/VmecRendererGL33.h"

#include "auxdata/vmec/VMEC_Repository.h"
#include "rendering/scene/GridPointsScene.h"

namespace qvgl33 {

namespace {
template <class Slot>
Slot& SlotFor(std::vector<Slot>& slots, size_t dataSet) {
  if (slots.size() <= dataSet) slots.resize(dataSet + 1);
  return slots[dataSet];
}
}  // namespace

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

}  // namespace qvgl33

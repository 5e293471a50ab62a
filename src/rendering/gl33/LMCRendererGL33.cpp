#include "rendering/gl33/LMCRendererGL33.h"

#include "auxdata/lmc/LMC_Holder.h"
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

}  // namespace qvgl33

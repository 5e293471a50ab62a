#include "rendering/scene/FieldScene.h"

#include "auxdata/field/Field3DLoader.h"
#include "rendering/scene/BoxItemOf.h"

namespace qv::scene {

void BuildFieldScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const auto* loader = dynamic_cast<const Field3DLoader*>(entry.container.get());
  if (entry.type != kTypeScalarField || !loader) return;
  const FieldFrame* frame = loader->CurrentFrame();
  if (!frame) return;
  // The box first: the translucent cells write no depth and must not hide it.
  if (ctx.display.box != kBoxOff) {
    out.push_back({ctx.dataSet, BoxItemOf(frame->box, frame->origin, ctx.display)});
  }
  out.push_back({ctx.dataSet, FieldCellsItem{frame}});
}

}  // namespace qv::scene

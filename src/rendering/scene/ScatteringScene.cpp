#include "rendering/scene/ScatteringScene.h"

#include "auxdata/scattering/BCALoader.h"
#include "rendering/scene/BoxItemOf.h"

namespace qv::scene {

void BuildScatteringScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  auto* loader = dynamic_cast<BCALoader*>(entry.container.get());
  if (entry.type != kTypeScattering || !loader) return;
  const BCAVisibleSet* v = loader->GetVisibleSet();
  if (!v) return;
  if (v->pathCount > 0) {
    PathsItem paths;
    paths.points = v->points;
    paths.indices = v->indices;
    paths.counts = v->counts;
    paths.pathCount = v->pathCount;
    paths.pointCount = v->pointCount;
    paths.color = ctx.settings.traceColor;
    paths.width = ctx.settings.traceWidth;
    paths.source = loader;
    paths.revision = loader->Revision();
    out.push_back({ctx.dataSet, paths});
  }
  if (ctx.display.box != kBoxOff) {
    double box[9], origin[3];
    loader->GetBox(box, origin);
    out.push_back({ctx.dataSet, BoxItemOf(box, origin, ctx.display)});
  }
}

}  // namespace qv::scene

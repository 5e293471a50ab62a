#include "rendering/scene/PolygonScene.h"

namespace qv::scene {

void BuildPolygonScene(const LawData& entry, SceneContext& ctx, std::vector<DrawItem>& out) {
  const auto* model = dynamic_cast<const IPolyRepository*>(entry.container.get());
  if (!model) return;
  MeshItem mesh;
  uint32_t stride = 0;
  mesh.vertices = model->Vertices(&stride, &mesh.vertexCount);
  mesh.indices = model->Indices(&mesh.indexWidth, &mesh.indexCount);
  mesh.materials = model->Materials(&mesh.drawCount);
  mesh.key = {model, model->Revision()};
  if (stride != sizeof(PolyVertex) || mesh.indexCount == 0 || mesh.drawCount == 0) return;
  out.push_back({ctx.dataSet, std::move(mesh)});
}

}  // namespace qv::scene

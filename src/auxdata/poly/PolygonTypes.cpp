#include "auxdata/poly/PolygonTypes.h"

#include "auxdata/poly/MQOLoader.h"
#include "auxdata/poly/PMDLoader.h"
#include "auxdata/poly/PMXLoader.h"
#include "auxdata/poly/VRMLLoader.h"
#include "data/Console.h"

namespace {

enum PolyFormat : int { kPolyPmd = 1, kPolyPmx, kPolyMqo, kPolyWrl };

template <class Loader>
std::shared_ptr<IDataContainer> OpenWith(const OpenRequest& r, bool swapAxes) {
  auto loader = std::make_shared<Loader>();
  const int rc = loader->Load(r.longPath);
  if (rc != 0) {
    if (rc == -1) qv::ConsolePrint("error: file cannot be opened\n");
    else qv::ConsolePrint("error: %s: %s\n", r.givenPath.c_str(), loader->Error().c_str());
    return nullptr;
  }
  if (swapAxes) loader->SwapAxes();
  qv::ConsolePrint("%zu vertices, %zu triangles, %zu materials loaded\n", loader->VertexCount(),
                   loader->IndexCount() / 3, loader->MaterialCount());
  return loader;
}

std::shared_ptr<IDataContainer> OpenModel(const OpenRequest& r) {
  switch (r.row.format) {
    case kPolyPmd: return OpenWith<PMDLoader>(r, true);
    case kPolyPmx: return OpenWith<PMXLoader>(r, true);
    case kPolyMqo: return OpenWith<MQOLoader>(r, false);
    case kPolyWrl: return OpenWith<VRMLLoader>(r, true);
    default: return nullptr;
  }
}

bool ModelBox(const LawData& entry, double box[9], double origin[3]) {
  auto* model = dynamic_cast<IPolyRepository*>(entry.container.get());
  if (!model) return false;
  model->Bounds(box, origin);
  return true;
}

int ModelSetFrame(LawData& entry, int target) {
  auto* model = dynamic_cast<IPolyRepository*>(entry.container.get());
  return model ? model->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

void RegisterPolygonTypes(DataTypeRegistry& registry) {
  const std::pair<const char*, PolyFormat> kinds[] = {
      {"pmd", kPolyPmd}, {"pmx", kPolyPmx}, {"mqo", kPolyMqo}, {"wrl", kPolyWrl}};
  for (const auto& [ext, format] : kinds) {
    if (registry.Find(ext)) continue;
    DataTypeRow row;
    row.extensions = {ext};
    row.type = kTypePolygon;
    row.format = format;
    row.open = OpenModel;
    row.getBox = ModelBox;
    row.setFrame = ModelSetFrame;
    row.hasBox = true;
    registry.Add(std::move(row));
  }
}

}  // namespace qv

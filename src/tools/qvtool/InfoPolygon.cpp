// qvtool info and dump of polygon models.
#include "tools/qvtool/InfoPolygon.h"

#include <algorithm>
#include <limits>

#include "auxdata/poly/PolyRepository.h"
#include "tools/qvtool/OutputBuffer.h"

namespace {

const IPolyRepository* ModelOf(Quivane& app) {
  const LawData* first = app.dataSets.First();
  if (!first || first->type != kTypePolygon) return nullptr;
  return dynamic_cast<const IPolyRepository*>(first->container.get());
}

}  // namespace

int InfoPolygon(Quivane& app, const ParsedArgs& args) {
  const IPolyRepository* model = ModelOf(app);
  if (!model) return -1;
  const LawData& entry = *app.dataSets.First();
  size_t nv = 0, ni = 0, drawn = 0;
  const PolyVertex* v = model->Vertices(nullptr, &nv);
  model->Indices(nullptr, &ni);
  const std::vector<PolyMaterial> mats = model->Materials(&drawn);
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (size_t i = 0; i < nv; ++i) {
    for (int k = 0; k < 3; ++k) {
      lo[k] = i ? std::min(lo[k], double{v[i].position[k]}) : v[i].position[k];
      hi[k] = i ? std::max(hi[k], double{v[i].position[k]}) : v[i].position[k];
    }
  }
  double box[9], origin[3];
  model->Bounds(box, origin);
  const int64_t frames = static_cast<int64_t>(mats.size()) + 1;
  qvtool::OutputBuffer out;
  auto list = [&](const double* x, int n, char sep) {
    for (int k = 0; k < n; ++k) {
      if (k) out.Put(sep);
      if (sep == ',') out.JsonNum(x[k]);
      else out.Num(x[k]);
    }
  };
  if (args.Flag("json")) {
    out.Put("{\"type\":").Int(entry.type).Put(",\"frames\":").Int(frames);
    out.Put(",\"vertices\":").Int(static_cast<int64_t>(nv)).Put(",\"triangles\":").Int(static_cast<int64_t>(ni / 3));
    out.Put(",\"materials\":").Int(static_cast<int64_t>(mats.size())).Put(",\"bbox_min\":[");
    list(lo, 3, ',');
    out.Put("],\"bbox_max\":[");
    list(hi, 3, ',');
    out.Put("],\"box\":[");
    list(box, 9, ',');
    out.Put("],\"origin\":[");
    list(origin, 3, ',');
    out.Put("],\"frame\":{\"index\":").Int(model->Frame()).Put(",\"materials_drawn\":").Int(static_cast<int64_t>(drawn));
    out.Put("}}\n");
  } else {
    out.Put("file: ").Put(entry.path).Put("\ntype: ").Int(entry.type).Put("\nframes: ").Int(frames);
    out.Put("\nvertices: ").Int(static_cast<int64_t>(nv)).Put("\ntriangles: ").Int(static_cast<int64_t>(ni / 3));
    out.Put("\nmaterials: ").Int(static_cast<int64_t>(mats.size())).Put("\nbbox ");
    list(lo, 3, ' ');
    out.Put(" to ");
    list(hi, 3, ' ');
    out.Put("\nbox ");
    list(box, 9, ' ');
    out.Put("\norigin ");
    list(origin, 3, ' ');
    out.Put("\nframe ").Int(model->Frame()).Put(": materials drawn ").Int(static_cast<int64_t>(drawn)).Put('\n');
  }
  return 0;
}

int DumpPolygon(Quivane& app, const ParsedArgs& args) {
  const IPolyRepository* model = ModelOf(app);
  if (!model) return -1;
  size_t nv = 0;
  const PolyVertex* v = model->Vertices(nullptr, &nv);
  qvtool::OutputBuffer out;
  for (size_t i = 0; i < nv; ++i) {
    out.Int(static_cast<int64_t>(i));
    for (float x : v[i].position) out.Put(' ').Num(x);
    for (float x : v[i].normal) out.Put(' ').Num(x);
    for (float x : v[i].uv) out.Put(' ').Num(x);
    out.Put('\n');
  }
  return 0;
}

// qvtool info and dump of scalar fields.
#include <cstdio>

#include "auxdata/field/Field3DLoader.h"
#include "tools/qvtool/InfoKinds.h"
#include "tools/qvtool/OutputBuffer.h"

namespace {

Field3DLoader* FirstField(Quivane& app) {
  LawData* first = app.dataSets.First();
  if (!first || first->type != kTypeScalarField) return nullptr;
  return dynamic_cast<Field3DLoader*>(first->container.get());
}

std::string Grid(const FieldFrame& f) {
  return "[" + std::to_string(f.nx) + "," + std::to_string(f.ny) + "," + std::to_string(f.nz) + "]";
}

}  // namespace

namespace qvtool {

bool InfoField(Quivane& app, const ParsedArgs& args, int& status) {
  Field3DLoader* field = FirstField(app);
  if (!field) return false;
  status = 0;
  const FieldFrame* f = field->CurrentFrame();
  if (!f) {  // the opener adds no field without frames; kept safe all the same
    std::fprintf(stderr, "qvtool info: the field holds no frame\n");
    status = 1;
    return true;
  }
  std::string out;
  const std::string frames = std::to_string(field->FrameCount());
  if (args.Flag("json")) {
    out = "{\"type\":3,\"frames\":" + frames + ",\"grid\":" + Grid(*f) +
          ",\"box\":" + JsonNumbers(f->box, 9) + ",\"origin\":" + JsonNumbers(f->origin, 3) +
          ",\"value_min\":" + JsonNumber(f->valueMin) + ",\"value_max\":" +
          JsonNumber(f->valueMax) + ",\"frame_list\":[";
    for (int i = 0; i < field->FrameCount(); ++i) {
      const FieldFrame& g = field->Frame(i);
      out += (i ? ",{\"index\":" : "{\"index\":") + std::to_string(i) + ",\"grid\":" + Grid(g) +
             ",\"box\":" + JsonNumbers(g.box, 9) + ",\"origin\":" + JsonNumbers(g.origin, 3) + "}";
    }
    out += "]}\n";
  } else {
    out = "file: " + app.dataSets.First()->path + "\ntype: 3\nframes: " + frames + "\nframe " +
          std::to_string(field->FrameIndex()) + ": grid " + std::to_string(f->nx) + " " +
          std::to_string(f->ny) + " " + std::to_string(f->nz) + "\n  box " +
          TextNumbers(f->box, 9) + "\n  origin " + TextNumbers(f->origin, 3) + "\n  values " +
          Num(f->valueMin) + " " + Num(f->valueMax) + "\n";
  }
  Print(out);
  return true;
}

bool DumpField(Quivane& app, const ParsedArgs&, int& status) {
  Field3DLoader* field = FirstField(app);
  if (!field) return false;
  status = 0;
  const FieldFrame* f = field->CurrentFrame();
  if (!f) return true;
  OutputBuffer out;
  for (size_t i = 0; i < f->CellCount(); ++i) {
    const uint8_t* c = &f->cells[4 * i];
    out.Int(static_cast<int64_t>(i)).Put(' ').Int(c[0]).Put(' ').Int(c[1]).Put(' ').Int(c[2]);
    out.Put(' ').Int(c[3]).Put('\n');
  }
  return true;
}

}  // namespace qvtool

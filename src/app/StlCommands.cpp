#include "app/StlCommands.h"

#include "output/StlWriter.h"

std::string StlFileName(const Quivane& app) {
  const LawData* first = app.dataSets.First();
  if (!first) return {};
  return qv::BaseName(first->path) + "_" + std::to_string(app.currentFrame) + ".stl";
}

int WriteStlCommand(Quivane& app, bool grid, std::string* writtenPath) {
  LawData* first = app.dataSets.First();
  if (!first || first->type != kTypeMD) return qv::kStlNoData;
  const ATOMS_DATA* frame = first->CurrentAtoms();
  if (!frame) return qv::kStlNoData;
  const std::string path = StlFileName(app);
  if (writtenPath) *writtenPath = path;
  // The arrays may be shorter than the count claims; never read past them.
  int atoms = frame->atomCount;
  if (atoms < 0 || static_cast<size_t>(atoms) * 3 > frame->positions.size())
    atoms = static_cast<int>(frame->positions.size() / 3);
  const Settings& s = app.settings;
  if (grid) {
    StlGridOptions o;
    o.atomRadius = s.stlAtomRadius;
    o.gridWidth = s.stlGridWidth;
    o.cutoffEdgeZ = s.stlGridCutoffEdgeZ;
    o.scale = s.stlScale;
    STL_Grid_Writer writer(o);
    return writer.Write(path, frame->positions.data(), atoms, frame->box);
  }
  STL_Writer writer(s.stlAtomRadius, s.stlAtomPoly);
  return writer.Write(path, frame->positions.data(), atoms);
}

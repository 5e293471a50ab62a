#include "auxdata/vmec/GridPointTypes.h"

#include <cstdio>

namespace {

std::shared_ptr<IDataContainer> OpenGridPoints(const OpenRequest& r) {
  auto repo = std::make_shared<VMEC_Repository>();
  const int code = repo->Load(r.longPath);
  const std::string report = qv::GridPointsLoadReport(*repo, code, r.longPath);
  std::fputs(report.c_str(), stdout);
  if (code != kVmecLoaded) {
    qv::SetLoadFailure(report);
    return nullptr;
  }
  return repo;
}

bool GridPointsBox(const LawData& entry, double box[9], double origin[3]) {
  const VMEC_Repository* v = qv::GridPointsOf(entry);
  if (!v) return false;
  v->GetBox(box, origin);
  return true;
}

int GridPointsSetFrame(LawData& entry, int target) {
  VMEC_Repository* v = qv::GridPointsOf(entry);
  return v ? v->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

VMEC_Repository* GridPointsOf(const LawData& entry) {
  if (entry.type != kTypeGridPoints) return nullptr;
  return dynamic_cast<VMEC_Repository*>(entry.container.get());
}

std::string GridPointsLoadReport(const VMEC_Repository& v, int code, const std::string& path) {
  std::string why;
  switch (code) {
    case kVmecLoaded: return "";
    case kVmecCannotOpenHeader: return "error: file cannot be opened: " + path + "\n";
    case kVmecNoGrids: why = "\"grids\" needs four non-negative integers"; break;
    case kVmecGridsOverflow: why = "the product of the four grid sizes is too large"; break;
    case kVmecEmptyGrid: why = "the grid has no points (a grid size is 0)"; break;
    case kVmecCoordinateMissing: why = "the coordinate file cannot be opened: " + v.ProblemFile(); break;
    case kVmecCoordinateSize:
      why = "the coordinate file does not hold one value per grid point: " + v.ProblemFile();
      break;
    default: why = "code " + std::to_string(code); break;
  }
  return "error: " + path + ": " + why + "; nothing loaded\n";
}

void RegisterGridPointTypes(DataTypeRegistry& registry) {
  if (registry.Find("vmec")) return;
  DataTypeRow row;
  row.extensions = {"vmec"};
  row.type = kTypeGridPoints;
  row.open = OpenGridPoints;
  row.getBox = GridPointsBox;
  row.setFrame = GridPointsSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv

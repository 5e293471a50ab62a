#include "data/DataTypeRegistry.h"

#include <algorithm>

#include "data/MDLoader.h"

uint32_t DefaultMenuMask(int32_t type) {
  constexpr uint32_t always = kMenuBitFile | kMenuBitDisplay | kMenuBitOutput | kMenuBitMovie;
  switch (type) {
    case kTypeMD:
    case kTypePolygon:
    case kTypeGridPoints:
    case kTypeParticleEvents:
      return always | kMenuBitAtoms;
    case kTypeScattering:
      return always | kMenuBitScattering;
    case kTypeScalarField:
      return always | kMenuBitField;
    case kTypeLattice:
      return always;
    default:
      return 0;
  }
}

DataTypeRegistry& DataTypeRegistry::Instance() {
  static DataTypeRegistry registry;
  return registry;
}

bool DataTypeRegistry::Add(DataTypeRow row) {
  if (row.extensions.empty() || !row.open) return false;
  for (const std::string& e : row.extensions) {
    if (e.empty() || Find(e)) return false;
    // Two copies of one extension inside the row are as ambiguous as two rows.
    if (std::count(row.extensions.begin(), row.extensions.end(), e) > 1) return false;
  }
  if (row.menuMask == 0) row.menuMask = DefaultMenuMask(row.type);
  rows_.push_back(std::move(row));
  return true;
}

const DataTypeRow* DataTypeRegistry::Find(std::string_view extension) const {
  for (const DataTypeRow& row : rows_) {
    for (const std::string& e : row.extensions) {
      if (extension == e) return &row;
    }
  }
  return nullptr;
}

const DataTypeRow* DataTypeRegistry::FindForPath(std::string_view path) const {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return nullptr;
  return Find(path.substr(dot + 1));
}

const DataTypeRow* DataTypeRegistry::ForType(int32_t type) const {
  for (const DataTypeRow& row : rows_) {
    if (row.type == type) return &row;
  }
  return nullptr;
}

std::vector<std::string> DataTypeRegistry::Extensions() const {
  std::vector<std::string> out;
  for (const DataTypeRow& row : rows_) out.insert(out.end(), row.extensions.begin(), row.extensions.end());
  return out;
}

namespace {

std::shared_ptr<IDataContainer> OpenTrajectory(const OpenRequest& r) {
  auto loader = std::make_shared<MDLoader>(r.options);
  loader->Open(r.longPath, static_cast<TrajectoryFormat>(r.row.format));
  loader->PinSlot(0);
  if (!loader->GetCurrentFrame()) return nullptr;
  return loader;
}

bool TrajectoryBox(const LawData& entry, double box[9], double origin[3]) {
  IMDContainer* md = entry.MD();
  return md && md->GetBox(box, origin);
}

int TrajectorySetFrame(LawData& entry, int target) {
  IMDContainer* md = entry.MD();
  return md ? md->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

void RegisterTrajectoryTypes(DataTypeRegistry& registry) {
  struct Kind {
    std::vector<std::string> extensions;
    TrajectoryFormat format;
    bool hasBox;
  };
  // xyz, md, md2 and pdb files carry positions only: their frames get "DefaultBox" or none,
  // and the picture never shows it.
  const Kind kinds[] = {
      {{"fad"}, kTrajFAD, true},         {{"fa2"}, kTrajFA2, true}, {{"md3"}, kTrajMD3, true},
      {{"xyz", "md"}, kTrajXyz, false},  {{"md2"}, kTrajMd2, false}, {{"pdb"}, kTrajPdb, false},
      {{"lammpstrj", "dump"}, kTrajLammps, true},
  };
  for (const Kind& k : kinds) {
    if (registry.Find(k.extensions.front())) continue;
    DataTypeRow row;
    row.extensions = k.extensions;
    row.type = kTypeMD;
    row.format = k.format;
    row.open = OpenTrajectory;
    row.getBox = TrajectoryBox;
    row.setFrame = TrajectorySetFrame;
    row.hasBox = k.hasBox;
    registry.Add(std::move(row));
  }
}

}  // namespace qv

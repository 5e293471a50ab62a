#include "data/DataSetList.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "data/DataTypeRegistry.h"

namespace qv {

std::string LongPath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const std::filesystem::path abs = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return abs.lexically_normal().string();
}

LawData MakeEntry(int32_t type, const std::string& longPath, std::shared_ptr<IDataContainer> c) {
  LawData e;
  e.type = type;
  e.path = longPath;
  const size_t slash = e.path.rfind('/');
  e.nameOffset = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = e.path.rfind('.');
  e.extOffset = dot == std::string::npos ? e.path.size() : dot + 1;
  e.container = std::move(c);
  return e;
}

std::string BaseName(const std::string& path) {
  const size_t dot = path.rfind('.');
  return dot == std::string::npos ? path : path.substr(0, dot);
}

}  // namespace qv

int DataSetList::OpenDataFile(const std::string& path, const LoadOptions& options) {
  qv::TakeLoadFailure();
  const std::string longPath = qv::LongPath(path);
  const DataTypeRow* row = DataTypeRegistry::Instance().FindForPath(longPath);
  if (!row) return 1;
  std::shared_ptr<IDataContainer> c = row->open(OpenRequest{longPath, path, options, *row});
  if (!c) return 1;
  Append(qv::MakeEntry(row->type, longPath, std::move(c)));
  return 1;
}

int DataSetList::SetFrameAll(int target, int tracedAtom,
                             const std::function<void(LawData&, ATOMS_DATA&)>& onFrameChanged) {
  int reached = 0;
  for (LawData& e : entries_) {
    IMDContainer* md = e.MD();
    const int before = md ? md->GetFrameIndex() : 0;
    const int now = e.SetFrame(target);
    reached = std::max(reached, now);
    if (!md || now == before) continue;
    e.traceCount += 1;
    ATOMS_DATA* atoms = md->GetCurrentFrame();
    if (!atoms) continue;
    // A negative index means no atom is traced.
    if (tracedAtom >= 0 && tracedAtom < atoms->atomCount &&
        atoms->positions.size() >= 3 * (static_cast<size_t>(tracedAtom) + 1)) {
      const float* p = &atoms->positions[3 * static_cast<size_t>(tracedAtom)];
      e.trace.emplace(atoms->index, std::array<float, 3>{p[0], p[1], p[2]});
    }
    if (onFrameChanged) onFrameChanged(e, *atoms);
  }
  return reached;
}

namespace {

// Bounding box of a frame's finite positions as a box matrix and origin; leaves both as they
// are when no position is finite.
void AtomBounds(const ATOMS_DATA& f, double box[9], double origin[3]) {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  bool any = false;
  const size_t n = std::min(static_cast<size_t>(std::max(f.atomCount, 0)), f.positions.size() / 3);
  for (size_t i = 0; i < n; ++i) {
    const float* p = &f.positions[3 * i];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) continue;
    for (int k = 0; k < 3; ++k) {
      lo[k] = any ? std::min(lo[k], double{p[k]}) : p[k];
      hi[k] = any ? std::max(hi[k], double{p[k]}) : p[k];
    }
    any = true;
  }
  if (!any) return;
  std::fill(box, box + 9, 0.0);
  for (int k = 0; k < 3; ++k) {
    box[4 * k] = hi[k] - lo[k];
    origin[k] = lo[k];
  }
}

}  // namespace

bool DataSetList::GetViewBounds(double& size, double centre[3]) const {
  if (entries_.empty()) return false;
  double box[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
  double origin[3] = {0, 0, 0};
  const LawData& first = entries_.front();
  if (first.type >= kTypeMD && first.type <= kTypeParticleEvents) {
    double b[9], o[3];
    if (first.GetBox(b, o)) {
      std::copy(b, b + 9, box);
      std::copy(o, o + 3, origin);
    }
  }
  // A trajectory without a box (pdb gives none) would put the eye on the target; frame its
  // atoms instead, as their axis-aligned bounding box.
  if (std::max({box[0], box[4], box[8]}) <= 0) {
    if (const ATOMS_DATA* f = first.CurrentAtoms()) AtomBounds(*f, box, origin);
  }
  size = 2 * std::max({box[0], box[4], box[8]});
  for (int k = 0; k < 3; ++k) centre[k] = origin[k] + (box[k] + box[3 + k] + box[6 + k]) / 2;
  return true;
}

// --- per-type entry operations --------------------------------------------------------

IMDContainer* LawData::MD() const {
  if (type != kTypeMD) return nullptr;
  return dynamic_cast<IMDContainer*>(container.get());
}

bool LawData::GetBox(double box[9], double origin[3]) const {
  const DataTypeRow* row = DataTypeRegistry::Instance().ForType(type);
  return row && row->getBox && row->getBox(*this, box, origin);
}

int LawData::SetFrame(int target) {
  if (target < 0) target = 0;
  const DataTypeRow* row = DataTypeRegistry::Instance().ForType(type);
  return row && row->setFrame ? row->setFrame(*this, target) : 0;
}

ATOMS_DATA* LawData::CurrentAtoms() const {
  IMDContainer* md = MD();
  return md ? md->GetCurrentFrame() : nullptr;
}

BOND_INFO* LawData::CurrentBonds() const {
  IMDContainer* md = MD();
  return md ? md->GetBonds() : nullptr;
}

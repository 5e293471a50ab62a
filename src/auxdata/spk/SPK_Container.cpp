#include "auxdata/spk/SPK_Container.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "data/DataTypeRegistry.h"

SPK_Container::SPK_Container(const std::string& path) {
  if (!std::string_view(path).ends_with(".spk")) {
    status_ = -1;
    return;
  }
  SPK_Reader reader;
  status_ = reader.Open(path);
  if (status_ == -1) std::printf("error: file cannot be opened\n%s\n", path.c_str());
  if (status_ == -3) std::printf("%s: the first line announces no site\n", path.c_str());
  if (status_ != 0) return;
  records_.emplace_back();
  reader.Read(records_.back());
}

SPK_Container::SPK_Container(SPK_Reader& reader) {
  records_.emplace_back();
  reader.Read(records_.back());
}

ATOMS_DATA* SPK_Container::GetCurrentFrame() {
  if (!frame_ && !records_.empty()) BuildFrame();
  return frame_.get();
}

bool SPK_Container::GetBox(double box[9], double origin[3]) {
  const SPK_Record* r = Record();
  if (!r) return false;
  std::copy(r->box, r->box + 9, box);
  std::copy(r->origin, r->origin + 3, origin);
  return true;
}

BOND_INFO* SPK_Container::GetBonds() {
  ATOMS_DATA* f = GetCurrentFrame();
  return f ? &f->bonds : nullptr;
}

namespace {

// Once into the box's length along the axis; a zero length leaves d as it is.
float Wrap(double d, double length) {
  if (d > length / 2) d -= length;
  else if (d < -length / 2) d += length;
  return static_cast<float>(d);
}

}  // namespace

void SPK_Container::BuildFrame() {
  const SPK_Record& r = records_.front();
  auto f = std::make_unique<ATOMS_DATA>();
  // The sites the file holds, not the count it announced: a short file has no positions for
  // the rest.
  const int32_t n = static_cast<int32_t>(r.sites.size());
  f->Allocate(n);
  std::copy(r.box, r.box + 9, f->box);
  std::copy(r.origin, r.origin + 3, f->origin);
  for (int32_t k = 0; k < n; ++k) {
    const SPK_Site& s = r.sites[static_cast<size_t>(k)];
    f->atomicNumbers[static_cast<size_t>(k)] = 0;
    f->positions[3 * static_cast<size_t>(k)] = static_cast<float>(s.x);
    f->positions[3 * static_cast<size_t>(k) + 1] = static_cast<float>(s.y);
    f->positions[3 * static_cast<size_t>(k) + 2] = static_cast<float>(s.z);
  }
  BOND_INFO& b = f->bonds;
  b.counts.assign(static_cast<size_t>(n), 0);
  b.entries.reserve(r.paths.size());
  for (const SPK_Path& p : r.paths) {
    // Both ends must be sites of the file; j = -1 is how a file says "no partner".
    if (p.i < 0 || p.j < 0 || p.i >= n || p.j >= n) continue;
    const SPK_Site& a = r.sites[static_cast<size_t>(p.i)];
    const SPK_Site& c = r.sites[static_cast<size_t>(p.j)];
    b.entries.push_back({p.i, p.j, Wrap(c.x - a.x, r.box[0]), Wrap(c.y - a.y, r.box[4]),
                         Wrap(c.z - a.z, r.box[8])});
    ++b.counts[static_cast<size_t>(p.i)];
    ++b.counts[static_cast<size_t>(p.j)];
  }
  b.bondCount = static_cast<int32_t>(b.entries.size());
  ++b.revision;
  frame_ = std::move(f);
}

// --- registry row ----------------------------------------------------------------------

namespace {

std::shared_ptr<IDataContainer> OpenSpk(const OpenRequest& r) {
  auto c = std::make_shared<SPK_Container>(r.givenPath);
  if (c->Status() != 0) return nullptr;
  return c;
}

bool SpkBox(const LawData& entry, double box[9], double origin[3]) {
  IMDContainer* md = entry.MD();
  return md && md->GetBox(box, origin);
}

int SpkSetFrame(LawData& entry, int target) {
  IMDContainer* md = entry.MD();
  return md ? md->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

void RegisterSpkTypes(DataTypeRegistry& registry) {
  if (registry.Find("spk")) return;
  DataTypeRow row;
  row.extensions = {"spk"};
  row.type = kTypeMD;
  row.open = OpenSpk;
  row.getBox = SpkBox;
  row.setFrame = SpkSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv

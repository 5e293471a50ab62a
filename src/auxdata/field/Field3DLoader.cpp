#include "auxdata/field/Field3DLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "data/DataTypeRegistry.h"

namespace qv {

void FieldColor(double v, uint8_t rgba[4]) {
  static constexpr int kRed[11] = {0, 38, 76, 0, 0, 0, 0, 60, 120, 180, 255};
  static constexpr int kGreen[11] = {0, 0, 0, 0, 140, 180, 250, 180, 120, 60, 0};
  static constexpr int kBlue[11] = {0, 106, 211, 230, 120, 60, 0, 0, 0, 0, 0};
  if (std::isnan(v) || v < 0) {
    rgba[0] = rgba[1] = rgba[2] = 0;
  } else {
    const double t = 10.0 * v;
    if (t >= 10.0) {
      rgba[0] = 255, rgba[1] = 0, rgba[2] = 0;
    } else {
      const int k = static_cast<int>(t);
      const double f = t - k;
      auto channel = [&](const int* c) {
        return static_cast<uint8_t>(c[k] + static_cast<int>((c[k + 1] - c[k]) * f));
      };
      rgba[0] = channel(kRed);
      rgba[1] = channel(kGreen);
      rgba[2] = channel(kBlue);
    }
  }
  // Large raw values (bif fields are not normalised) saturate instead of wrapping around.
  const double a = std::isnan(v) ? 0.0 : std::trunc(std::clamp(v * 96.0, -1.0, 255.0));
  rgba[3] = a < 8 ? 0 : static_cast<uint8_t>(a);
}

}  // namespace qv

int Field3DLoader::Read(const std::string& path) {
  const std::string_view p(path);
  if (p.ends_with(".cube")) return CUBE_Reader::Read(path, *this);
  if (p.ends_with(".bif")) return BIF_Reader::Read(path, *this);
  std::printf("%s: neither a .cube nor a .bif file\n", path.c_str());
  return -1;
}

int Field3DLoader::SetFrame(int target) {
  const int last = std::max(FrameCount() - 1, 0);
  current_ = std::clamp(target, 0, last);
  return current_;
}

const FieldFrame* Field3DLoader::CurrentFrame() const {
  if (frames_.empty()) return nullptr;
  return frames_[static_cast<size_t>(current_)].get();
}

bool Field3DLoader::GetBox(double box[9], double origin[3]) const {
  const FieldFrame* f = CurrentFrame();
  if (!f) return false;
  std::copy(f->box, f->box + 9, box);
  std::copy(f->origin, f->origin + 3, origin);
  return true;
}

// --- registry rows ---------------------------------------------------------------------

namespace {

Field3DLoader* Field(const LawData& entry) {
  if (entry.type != kTypeScalarField) return nullptr;
  return dynamic_cast<Field3DLoader*>(entry.container.get());
}

std::shared_ptr<IDataContainer> OpenField(const OpenRequest& r) {
  auto loader = std::make_shared<Field3DLoader>();
  if (loader->Read(r.longPath) != 0 || loader->FrameCount() == 0) return nullptr;
  return loader;
}

bool FieldBox(const LawData& entry, double box[9], double origin[3]) {
  const Field3DLoader* f = Field(entry);
  return f && f->GetBox(box, origin);
}

int FieldSetFrame(LawData& entry, int target) {
  Field3DLoader* f = Field(entry);
  return f ? f->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

void RegisterFieldTypes(DataTypeRegistry& registry) {
  if (registry.Find("cube")) return;
  DataTypeRow row;
  row.extensions = {"cube", "bif"};
  row.type = kTypeScalarField;
  row.open = OpenField;
  row.getBox = FieldBox;
  row.setFrame = FieldSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv

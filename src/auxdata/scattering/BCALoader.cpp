#include "auxdata/scattering/BCALoader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/DataTypeRegistry.h"
#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace {

// Lines rejected beyond this many are only counted, so a damaged file cannot flood the console.
constexpr int kReportedRejects = 10;

// Up to `max` words of the line.
int SplitWords(std::string_view line, std::string_view* words, int max) {
  const char* p = line.data();
  const char* e = p + line.size();
  int n = 0;
  while (n < max) {
    std::string_view w = qv::scan::Word(p, e);
    if (w.empty()) break;
    words[n++] = w;
  }
  return n;
}

// "%d" of a word: its leading integer, 0 when it has none.
int WordInt(std::string_view w) {
  int v = 0;
  if (!qv::scan::Int(w.data(), w.data() + w.size(), v)) return 0;
  return v;
}

}  // namespace

bool BCALoader::Open(const std::string& path) {
  qv::LineReader lines;
  if (!lines.Open(path)) {
    std::printf("error:trajectory\n%s: the file cannot be opened\n", path.c_str());
    return false;
  }
  return Read(lines, path);
}

bool BCALoader::Read(qv::LineReader& lines, const std::string& name) {
  int32_t inPath = 0;
  int rejected = 0;
  auto reject = [&](const char* why) {
    if (++rejected <= kReportedRejects) {
      std::printf("%s: line %lld: %s; the line is skipped\n", name.c_str(),
                  static_cast<long long>(lines.LineNumber()), why);
    }
  };
  std::string_view line;
  while (lines.Next(line)) {
    std::string_view w[13];
    const int n = SplitWords(line, w, 13);
    if (n == 0) {
      if (inPath > 0) pathLengths_.push_back(inPath);
      inPath = 0;
      continue;
    }
    if (w[0] == "BOX") {
      if (n < 13) {
        reject("a BOX line needs twelve numbers (three edge vectors and the origin)");
        continue;
      }
      double v[12];
      for (int k = 0; k < 12; ++k) v[k] = qv::scan::WordReal(w[k + 1]);
      if (!std::all_of(v, v + 12, [](double x) { return std::isfinite(x); })) {
        reject("the BOX line holds a number that is not finite");
        continue;
      }
      std::copy(v, v + 9, box_);
      std::copy(v + 9, v + 12, origin_);
      hadBox_ = true;
      continue;
    }
    if (n < 3) {
      reject("a point needs three coordinates");
      continue;
    }
    float p[3];
    for (int k = 0; k < 3; ++k) p[k] = static_cast<float>(qv::scan::WordReal(w[k]));
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
      reject("a coordinate is not a finite 32-bit number");
      continue;
    }
    if (static_cast<int64_t>(steps_.size()) >= kMaxPoints) {
      std::printf("%s: more than %lld points; the file is refused\n", name.c_str(),
                  static_cast<long long>(kMaxPoints));
      *this = BCALoader();
      return false;
    }
    points_.insert(points_.end(), p, p + 3);
    steps_.push_back(n >= 4 ? WordInt(w[3]) : 0);
    ++inPath;
  }
  if (lines.TooLong()) {
    // The reader has named the line; what came before it is not a whole file.
    *this = BCALoader();
    return false;
  }
  if (rejected > kReportedRejects) {
    std::printf("%s: %d lines skipped in all\n", name.c_str(), rejected);
  }
  if (inPath > 0) {
    std::printf("%s: the last %d points are not followed by a blank line; they end no path "
                "and are not shown\n",
                name.c_str(), inPath);
  }
  for (int32_t s : steps_) stepCount_ = std::max(stepCount_, s);
  if (!hadBox_) {
    float ext[3] = {0, 0, 0};
    for (size_t i = 0; i < points_.size(); ++i) ext[i % 3] = std::max(ext[i % 3], std::fabs(points_[i]));
    std::fill(box_, box_ + 9, 0.0);
    for (int k = 0; k < 3; ++k) {
      origin_[k] = -double{ext[k]};
      box_[4 * k] = 2.0 * ext[k];
    }
  }
  if (steps_.empty()) std::printf("error:trajectory\n%s: the file holds no point\n", name.c_str());
  dirty_ = true;
  return true;
}

int BCALoader::SetCurrentStep(int step) {
  const int32_t last = stepCount_ > 0 ? stepCount_ - 1 : 0;
  const int32_t s = std::clamp(step, 0, last);
  if (s != currentStep_) dirty_ = true;
  currentStep_ = s;
  return s;
}

void BCALoader::GetBox(double box[9], double origin[3]) const {
  std::copy(box_, box_ + 9, box);
  std::copy(origin_, origin_ + 3, origin);
}

const BCAVisibleSet* BCALoader::GetVisibleSet() {
  if (steps_.empty()) return nullptr;
  if (dirty_) {
    Rebuild();
    dirty_ = false;
  }
  return &visible_;
}

void BCALoader::Rebuild() {
  visibleIndices_.clear();
  visibleCounts_.clear();
  const int32_t s = currentStep_;
  const int32_t* steps = steps_.data();
  size_t k = 0;
  for (int32_t n : pathLengths_) {
    uint32_t taken = 0;
    // A path is cut at its first point beyond the step, even if later points come earlier.
    while (taken < static_cast<uint32_t>(n) && steps[k + taken] <= s) {
      visibleIndices_.push_back(static_cast<uint32_t>(k + taken));
      ++taken;
    }
    if (taken > 0) visibleCounts_.push_back(taken);
    k += static_cast<size_t>(n);
  }
  visible_.points = points_.data();
  visible_.indices = visibleIndices_.empty() ? nullptr : visibleIndices_.data();
  visible_.counts = visibleCounts_.empty() ? nullptr : visibleCounts_.data();
  visible_.pathCount = static_cast<int64_t>(visibleCounts_.size());
  visible_.pointCount = static_cast<int64_t>(visibleIndices_.size());
  ++revision_;
}

// --- registry rows ---------------------------------------------------------------------

namespace {

BCALoader* Scattering(const LawData& entry) {
  if (entry.type != kTypeScattering) return nullptr;
  return dynamic_cast<BCALoader*>(entry.container.get());
}

std::shared_ptr<IDataContainer> OpenScattering(const OpenRequest& r) {
  auto loader = std::make_shared<BCALoader>();
  if (!loader->Open(r.longPath)) return nullptr;
  // A file without any point is no trajectory (the reader has said so).
  if (!loader->GetVisibleSet()) return nullptr;
  return loader;
}

bool ScatteringBox(const LawData& entry, double box[9], double origin[3]) {
  const BCALoader* b = Scattering(entry);
  if (!b) return false;
  b->GetBox(box, origin);
  return true;
}

int ScatteringSetFrame(LawData& entry, int target) {
  BCALoader* b = Scattering(entry);
  return b ? b->SetCurrentStep(target) : 0;
}

}  // namespace

namespace qv {

void RegisterScatteringTypes(DataTypeRegistry& registry) {
  if (registry.Find("txt")) return;
  DataTypeRow row;
  row.extensions = {"txt", "traj"};
  row.type = kTypeScattering;
  row.open = OpenScattering;
  row.getBox = ScatteringBox;
  row.setFrame = ScatteringSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv

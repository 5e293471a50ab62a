#include "auxdata/vmec/VMEC_Repository.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// The statement part of a line: from its first non-blank up to '#', CR or LF, without
// trailing blanks.
std::string_view Statement(std::string_view line) {
  const size_t cut = line.find_first_of("#\r\n");
  if (cut != std::string_view::npos) line = line.substr(0, cut);
  size_t b = 0;
  while (b < line.size() && Blank(line[b])) ++b;
  size_t e = line.size();
  while (e > b && Blank(line[e - 1])) --e;
  return line.substr(b, e - b);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

uint32_t BigEndian32(const unsigned char* b) {
  return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | uint32_t{b[3]};
}

}  // namespace

VmecHeader VmecHeader::Parse(std::string_view text) {
  VmecHeader h;
  std::vector<std::string>* list = nullptr;
  std::string end;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    const std::string_view s = Statement(text.substr(pos, nl - pos));
    pos = nl + 1;
    if (list) {
      if (s == end) {
        list = nullptr;
      } else if (!s.empty()) {
        list->emplace_back(s);
      }
      continue;
    }
    if (s.empty()) continue;
    size_t k = 0;
    while (k < s.size() && !Blank(s[k])) ++k;
    const std::string key(s.substr(0, k));
    while (k < s.size() && Blank(s[k])) ++k;
    const std::string_view value = s.substr(k);
    constexpr std::string_view kBegin = ".Begin";
    if (key.size() > kBegin.size() && key.compare(key.size() - kBegin.size(), kBegin.size(), kBegin) == 0) {
      const std::string name = key.substr(0, key.size() - kBegin.size());
      list = &h.lists[name];
      end = name + ".End";
      continue;
    }
    if (!value.empty()) h.values[key] = std::string(value);
  }
  return h;
}

const std::string* VmecHeader::Value(const std::string& key) const {
  auto it = values.find(key);
  return it == values.end() ? nullptr : &it->second;
}

const std::vector<std::string>* VmecHeader::List(const std::string& name) const {
  auto it = lists.find(name);
  return it == lists.end() ? nullptr : &it->second;
}

std::string VMEC_Repository::Resolve(const std::string& name) const {
  // Names are relative to the header's folder; absolute names are the user's to give.
  if (!name.empty() && name.front() == '/') return name;
  return directory_ + name;
}

bool VMEC_Repository::ReadValues(const std::string& path, uint64_t expected) {
  ++dataReads_;
  std::error_code ec;
  std::unique_ptr<std::FILE, FileCloser> f(
      std::filesystem::is_directory(path, ec) ? nullptr : std::fopen(path.c_str(), "rb"));
  if (!f) {
    std::printf("error: file cannot be opened: %s\n", path.c_str());
    return false;
  }
  const auto size = std::filesystem::file_size(path, ec);
  unsigned char head[4];
  if (ec || std::fread(head, 1, 4, f.get()) != 4) {
    std::printf("error: file size is not valid.\n  %s holds no length\n", path.c_str());
    return false;
  }
  const uint64_t bytes = BigEndian32(head);
  const uint64_t count = bytes / 4;
  // The length must be backed by the file before anything is sized from it.
  if (size < 4 || bytes > size - 4 || (expected && count != expected)) {
    std::printf("error: file size is not valid.\n  %s holds %llu values, %llu are needed\n",
                path.c_str(), static_cast<unsigned long long>(count),
                static_cast<unsigned long long>(expected));
    return false;
  }
  std::vector<unsigned char> raw(count * 4);
  if (count && std::fread(raw.data(), 1, raw.size(), f.get()) != raw.size()) {
    std::printf("error: file size is not valid.\n  %s ends early\n", path.c_str());
    return false;
  }
  buf_.resize(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint32_t u = BigEndian32(&raw[4 * i]);
    std::memcpy(&buf_[i], &u, 4);
  }
  return true;
}

int VMEC_Repository::Load(const std::string& headerPath) {
  qv::LineReader lines;
  if (!lines.Open(headerPath)) return kVmecCannotOpenHeader;
  std::string text;
  for (std::string_view line; lines.Next(line);) text.append(line).push_back('\n');
  header_ = VmecHeader::Parse(text);
  const size_t slash = headerPath.rfind('/');
  directory_ = slash == std::string::npos ? "" : headerPath.substr(0, slash + 1);

  const std::string* g = header_.Value("grids");
  if (!g) return kVmecNoGrids;
  const char* p = g->data();
  const char* e = p + g->size();
  uint64_t product = 1;
  bool overflow = false;
  for (int& n : grids) {
    p = qv::scan::Int(p, e, n);
    if (!p || n < 0) return kVmecNoGrids;
    if (n && product > std::numeric_limits<uint64_t>::max() / static_cast<uint64_t>(n)) overflow = true;
    product *= static_cast<uint64_t>(n);
  }
  if (overflow) return kVmecGridsOverflow;
  if (product == 0) return kVmecEmptyGrid;
  pointCount_ = product;

  if (const std::string* s = header_.Value("DATA.Species")) {
    const int n = static_cast<int>(qv::scan::WordReal(*s));
    quantities_ = n >= 1 && n <= 3 ? n : 1;
  }

  const char* axes[3] = {"Coordinate.X", "Coordinate.Y", "Coordinate.Z"};
  for (int a = 0; a < 3; ++a) {
    const std::string* name = header_.Value(axes[a]);
    problemFile_ = name ? Resolve(*name) : std::string(axes[a]);
    if (!name) return kVmecCoordinateMissing;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(problemFile_, ec)) return kVmecCoordinateMissing;
    if (!ReadValues(problemFile_, pointCount_)) return kVmecCoordinateSize;
    // The first file proved the count is backed by data: now the points may be sized.
    if (a == 0) points_.assign(pointCount_ * static_cast<uint64_t>(Stride()), 0.0f);
    const size_t stride = static_cast<size_t>(Stride());
    for (uint64_t i = 0; i < pointCount_; ++i) points_[i * stride + static_cast<size_t>(a)] = buf_[i];
  }
  problemFile_.clear();

  bool any = false;
  const size_t stride = static_cast<size_t>(Stride());
  for (uint64_t i = 0; i < pointCount_; ++i) {
    const float* pt = &points_[i * stride];
    if (!std::isfinite(pt[0]) || !std::isfinite(pt[1]) || !std::isfinite(pt[2])) continue;
    for (int k = 0; k < 3; ++k) {
      minimum[k] = any ? std::min(minimum[k], pt[k]) : pt[k];
      maximum[k] = any ? std::max(maximum[k], pt[k]) : pt[k];
    }
    any = true;
  }

  for (int k = 1; k <= 3 && frameCount_ == 0; ++k) {
    if (const auto* list = header_.List("DATA." + std::to_string(k))) {
      frameCount_ = static_cast<int>(std::min<size_t>(list->size(), std::numeric_limits<int>::max()));
    }
  }
  if (frameCount_ > 0 && LoadFrame(0)) {
    float lo = 0, hi = 0;
    bool found = false;
    for (uint64_t i = 0; i < pointCount_; ++i) {
      for (int q = 0; q < quantities_; ++q) {
        const float v = points_[i * stride + 3 + static_cast<size_t>(q)];
        if (!std::isfinite(v)) continue;
        lo = found ? std::min(lo, v) : v;
        hi = found ? std::max(hi, v) : v;
        found = true;
      }
    }
    for (int q = 0; q < quantities_; ++q) {
      ramp[q][0] = lo, ramp[q][1] = hi;
      if (const std::string* r = header_.Value("Color." + std::to_string(q + 1) + ".Range")) {
        double a = 0, b = 0;
        const char* rp = qv::scan::Real(r->data(), r->data() + r->size(), a);
        if (rp && qv::scan::Real(rp, r->data() + r->size(), b) && std::isfinite(a) && std::isfinite(b)) {
          ramp[q][0] = static_cast<float>(a), ramp[q][1] = static_cast<float>(b);
        }
      }
    }
    if (const std::string* a = header_.Value("Color.Alpha")) alpha = static_cast<float>(qv::scan::WordReal(*a));
  } else {
    frameCount_ = 0;
  }
  current_ = 0;
  return kVmecLoaded;
}

bool VMEC_Repository::LoadFrame(int f) {
  bool all = true;
  const size_t stride = static_cast<size_t>(Stride());
  for (int q = 0; q < quantities_; ++q) {
    const auto* list = header_.List("DATA." + std::to_string(q + 1));
    if (!list || static_cast<size_t>(f) >= list->size()) {
      std::printf("error: no data file for quantity %d at frame %d\n", q + 1, f);
      all = false;
      continue;
    }
    if (!ReadValues(Resolve((*list)[static_cast<size_t>(f)]), pointCount_)) {
      all = false;
      continue;
    }
    for (uint64_t i = 0; i < pointCount_; ++i) points_[i * stride + 3 + static_cast<size_t>(q)] = buf_[i];
  }
  ++generation_;
  return all;
}

int VMEC_Repository::SetFrame(int f) {
  f = std::clamp(f, 0, std::max(frameCount_ - 1, 0));
  if (f != current_) {
    current_ = f;
    LoadFrame(f);
  }
  return current_;
}

void VMEC_Repository::GetBox(double box[9], double origin[3]) const {
  std::fill(box, box + 9, 0.0);
  for (int k = 0; k < 3; ++k) {
    box[4 * k] = double{maximum[k]} - double{minimum[k]};
    origin[k] = minimum[k];
  }
}

float VMEC_Repository::SpriteSize() const {
  const double dx = double{maximum[0]} - minimum[0], dy = double{maximum[1]} - minimum[1],
               dz = double{maximum[2]} - minimum[2];
  return static_cast<float>(0.001 * std::sqrt(dx * dx + dy * dy + dz * dz));
}

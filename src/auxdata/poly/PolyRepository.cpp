#include "auxdata/poly/PolyRepository.h"

#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace qv::poly {

const PolyVertex* PolyMesh::Vertices(uint32_t* stride, size_t* count) const {
  if (stride) *stride = sizeof(PolyVertex);
  if (count) *count = vertices_.size();
  return vertices_.data();
}

const void* PolyMesh::Indices(int* width, size_t* count) const {
  const bool narrow = !narrow_.empty() || indices_.empty();
  if (width) *width = narrow ? 2 : 4;
  if (count) *count = indices_.size();
  return narrow ? static_cast<const void*>(narrow_.data()) : indices_.data();
}

std::vector<PolyMaterial> PolyMesh::Materials(size_t* drawCount) const {
  const size_t n = materials_.size();
  if (drawCount) {
    const size_t s = static_cast<size_t>(shown_);
    *drawCount = (s >= 1 && s + 1 <= n) ? s : n;
  }
  return materials_;
}

void PolyMesh::Bounds(double box[9], double origin[3]) const {
  double m[3] = {0, 0, 0};
  for (const PolyVertex& v : vertices_) {
    for (int k = 0; k < 3; ++k) {
      const double a = std::fabs(double{v.position[k]});
      if (std::isfinite(a)) m[k] = std::max(m[k], a);
    }
  }
  std::fill(box, box + 9, 0.0);
  for (int k = 0; k < 3; ++k) {
    box[4 * k] = 2 * m[k];
    origin[k] = m[k] > 0 ? -m[k] : 0.0;  // no negative zero in the printed origin
  }
}

int PolyMesh::SetFrame(int f) {
  shown_ = std::clamp(f, 0, static_cast<int>(std::min<size_t>(materials_.size(), 1 << 30)));
  return shown_;
}

void PolyMesh::SwapAxes() {
  for (PolyVertex& v : vertices_) {
    std::swap(v.position[1], v.position[2]);
    std::swap(v.normal[1], v.normal[2]);
  }
  ++revision_;
}

bool PolyMesh::Fail(std::string message) {
  error_ = std::move(message);
  vertices_.clear();
  indices_.clear();
  materials_.clear();
  narrow_.clear();
  return false;
}

void PolyMesh::SetDirectoryFrom(const std::string& path) {
  const size_t slash = path.rfind('/');
  directory_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool PolyMesh::Finish(size_t narrowUpTo) {
  const size_t nv = vertices_.size();
  for (size_t i = 0; i < indices_.size(); ++i) {
    if (indices_[i] >= nv) {
      return Fail("index " + std::to_string(indices_[i]) + " at position " + std::to_string(i) +
                  " lies outside the " + std::to_string(nv) + " vertices");
    }
  }
  uint64_t first = 0;
  for (size_t m = 0; m < materials_.size(); ++m) {
    materials_[m].firstIndex = static_cast<uint32_t>(first);
    first += materials_[m].indexCount;
    if (first > indices_.size()) {
      return Fail("material " + std::to_string(m) + " draws indices up to " + std::to_string(first) +
                  " of a list of " + std::to_string(indices_.size()));
    }
  }
  if (nv <= narrowUpTo && nv <= 65536) {
    narrow_.assign(indices_.begin(), indices_.end());
  }
  error_.clear();
  ++revision_;
  return true;
}

namespace {

std::string Convert(const char* from, const std::string& bytes) {
  if (bytes.empty()) return bytes;
  iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return bytes;
  std::string out(bytes.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* o = out.data();
  size_t outLeft = out.size();
  const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return bytes;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

// CP932 rather than strict Shift-JIS: the latter turns 0x5C into a yen sign, and model files
// use it as the path separator.
std::string FromShiftJis(const std::string& bytes) {
  const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
  return ascii ? bytes : Convert("CP932", bytes);
}

std::string FromUtf16Le(const std::string& bytes) {
  std::string even = bytes.substr(0, bytes.size() & ~size_t{1});
  return Convert("UTF-16LE", even);
}

std::string TexturePath(const std::string& directory, std::string name) {
  std::replace(name.begin(), name.end(), '\\', '/');
  while (!name.empty() && (name.back() == ' ' || name.back() == '\0')) name.pop_back();
  if (name.empty()) return {};
  std::string path = directory + name;
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return path;
  namespace fs = std::filesystem;
  const fs::path p(path);
  const fs::path parent = p.parent_path().empty() ? fs::path(".") : p.parent_path();
  const std::string want = p.filename().string();
  auto lower = [](std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
  };
  const std::string wantLower = lower(want);
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (lower(it->path().filename().string()) == wantLower) {
      return (p.parent_path() / it->path().filename()).string();
    }
  }
  return path;
}

}  // namespace qv::poly

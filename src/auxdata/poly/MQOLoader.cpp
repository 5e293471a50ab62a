#include "auxdata/poly/MQOLoader.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "auxdata/poly/ByteReader.h"

namespace {

// One line's tokens. A quoted run is one token (names may hold spaces); lines of any length
// are read whole.
std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '(' || c == ')') {
      ++i;
    } else if (c == '"') {
      const size_t end = line.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? line.size() : end;
      out.push_back(line.substr(i + 1, stop - i - 1));
      i = stop + 1;
    } else {
      size_t j = i;
      while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' &&
             line[j] != '(' && line[j] != ')' && line[j] != '"') {
        ++j;
      }
      out.push_back(line.substr(i, j - i));
      i = j;
    }
  }
  return out;
}

bool Number(std::string_view t, double& v) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
}

bool Integer(std::string_view t, long long& v) {
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t nl = text_.find('\n', pos_);
    const size_t end = nl == std::string_view::npos ? text_.size() : nl;
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  size_t Number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

bool Opens(const std::vector<std::string_view>& t) { return !t.empty() && t.back() == "{"; }
bool Closes(const std::vector<std::string_view>& t) { return !t.empty() && t.front() == "}"; }

// Skips to the "}" that closes a block already opened; nested blocks are counted.
void SkipBlock(Lines& lines) {
  size_t depth = 1;
  std::string_view line;
  while (depth > 0 && lines.Next(line)) {
    const auto t = Tokens(line);
    if (Closes(t)) --depth;
    else if (Opens(t)) ++depth;
  }
}

struct Triangle {
  uint32_t v[3];
  float uv[3][2];
  long long material;
};

}  // namespace

int MQOLoader::Load(const std::string& path) {
  std::string text;
  if (!qv::poly::ReadWholeFile(path, text)) {
    Fail("the file cannot be opened");
    return -1;
  }
  return Parse(text, path);
}

int MQOLoader::Parse(std::string_view text, const std::string& path) {
  SetDirectoryFrom(path);
  Lines lines(text);
  std::vector<std::array<float, 3>> points;  // already in the stored axes
  std::vector<Triangle> triangles;
  std::string_view line;
  bool stop = false;
  while (!stop && lines.Next(line)) {
    const auto t = Tokens(line);
    if (t.empty()) continue;
    if (t[0] == "Material") {
      if (!Opens(t)) continue;  // no "{": no materials
      while (lines.Next(line)) {
        const auto m = Tokens(line);
        if (Closes(m)) break;
        if (m.empty()) continue;
        PolyMaterial mat;
        // The colour follows "col"; files without it keep the older order: name, one token,
        // four numbers.
        size_t at = 2;
        for (size_t k = 1; k < m.size(); ++k) {
          if (m[k] == "col") {
            at = k + 1;
            break;
          }
        }
        for (int c = 0; c < 4 && at + c < m.size(); ++c) {
          double v;
          if (Number(m[at + c], v)) mat.diffuse[c] = static_cast<float>(v);
        }
        for (size_t k = 1; k + 1 < m.size(); ++k) {
          if (m[k] == "tex") {
            mat.texturePath = qv::poly::TexturePath(directory_, qv::poly::FromShiftJis(std::string(m[k + 1])));
            break;
          }
        }
        materials_.push_back(std::move(mat));
      }
    } else if (t[0] == "Object") {
      if (!Opens(t)) {
        stop = true;
        break;
      }
      const size_t base = points.size();
      size_t objectPoints = 0;
      while (lines.Next(line)) {
        const auto o = Tokens(line);
        if (Closes(o)) break;
        if (o.empty()) continue;
        if (o[0] == "vertex" && Opens(o)) {
          while (lines.Next(line)) {
            const auto v = Tokens(line);
            if (Closes(v)) break;
            double x, y, z;
            if (v.size() < 3 || !Number(v[0], x) || !Number(v[1], y) || !Number(v[2], z)) {
              return Fail("line " + std::to_string(lines.Number()) + ": a vertex needs three numbers"), -2;
            }
            points.push_back({static_cast<float>(0.0 - z), static_cast<float>(0.0 - x), static_cast<float>(y)});  // 0 - v: no negative zeros
            ++objectPoints;
          }
        } else if (o[0] == "face" && Opens(o)) {
          while (lines.Next(line)) {
            const auto f = Tokens(line);
            if (Closes(f)) break;
            if (f.empty() || f[0] != "3") continue;  // only triangles are drawn
            Triangle tri{};
            tri.material = -1;
            bool haveV = false;
            for (size_t k = 1; k < f.size(); ++k) {
              if (f[k] == "V" && k + 3 < f.size()) {
                for (int c = 0; c < 3; ++c) {
                  long long idx;
                  if (!Integer(f[k + 1 + c], idx) || idx < 0 || static_cast<size_t>(idx) >= objectPoints) {
                    return Fail("line " + std::to_string(lines.Number()) + ": vertex index " +
                                std::string(f[k + 1 + c]) + " lies outside the object's " +
                                std::to_string(objectPoints) + " vertices"), -2;
                  }
                  tri.v[c] = static_cast<uint32_t>(base + static_cast<size_t>(idx));
                }
                haveV = true;
                k += 3;
              } else if (f[k] == "M" && k + 1 < f.size()) {
                long long mi;
                if (Integer(f[k + 1], mi)) tri.material = mi;
                k += 1;
              } else if (f[k] == "UV" && k + 6 < f.size()) {
                for (int c = 0; c < 6; ++c) {
                  double v;
                  if (Number(f[k + 1 + c], v)) tri.uv[c / 2][c % 2] = static_cast<float>(v);
                }
                k += 6;
              }
            }
            if (!haveV) {
              return Fail("line " + std::to_string(lines.Number()) + ": a triangle without its vertices"), -2;
            }
            triangles.push_back(tri);
          }
        } else if (Opens(o)) {
          SkipBlock(lines);
        }
      }
    } else if (Opens(t)) {
      SkipBlock(lines);
    }
  }

  // Faces without a material of the list are drawn in a white one after the others.
  const size_t nm = materials_.size();
  bool orphan = false;
  for (const Triangle& tri : triangles) {
    if (tri.material < 0 || static_cast<size_t>(tri.material) >= nm) orphan = true;
  }
  if (orphan) materials_.emplace_back();
  auto slot = [&](const Triangle& tri) {
    return (tri.material < 0 || static_cast<size_t>(tri.material) >= nm) ? nm : static_cast<size_t>(tri.material);
  };

  // A vertex takes the normal and texture coordinate of the first triangle using it; a
  // triangle that needs others at that vertex uses a copy (an existing one if it matches).
  vertices_.resize(points.size());
  std::vector<uint8_t> used(points.size(), 0);
  std::vector<uint32_t> nextCopy(points.size(), UINT32_MAX);
  for (size_t i = 0; i < points.size(); ++i) {
    vertices_[i] = PolyVertex{{points[i][0], points[i][1], points[i][2]}, {0, 0, 0}, {0, 0}};
  }
  std::vector<std::vector<uint32_t>> perMaterial(materials_.size());
  for (const Triangle& tri : triangles) {
    const float* p0 = points[tri.v[0]].data();
    const float* p1 = points[tri.v[1]].data();
    const float* p2 = points[tri.v[2]].data();
    const double e1[3] = {double{p1[0]} - p0[0], double{p1[1]} - p0[1], double{p1[2]} - p0[2]};
    const double e2[3] = {double{p2[0]} - p0[0], double{p2[1]} - p0[1], double{p2[2]} - p0[2]};
    double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    float nf[3] = {0, 0, 0};
    if (len > 0 && std::isfinite(len)) {
      for (int k = 0; k < 3; ++k) nf[k] = static_cast<float>(n[k] / len);
    }
    std::vector<uint32_t>& out = perMaterial[slot(tri)];
    for (int c = 0; c < 3; ++c) {
      uint32_t v = tri.v[c];
      auto same = [&](const PolyVertex& x) {
        return std::fabs(x.normal[0] - nf[0]) < 1e-5f && std::fabs(x.normal[1] - nf[1]) < 1e-5f &&
               std::fabs(x.normal[2] - nf[2]) < 1e-5f && x.uv[0] == tri.uv[c][0] && x.uv[1] == tri.uv[c][1];
      };
      if (!used[v]) {
        used[v] = 1;
        std::copy(nf, nf + 3, vertices_[v].normal);
        vertices_[v].uv[0] = tri.uv[c][0];
        vertices_[v].uv[1] = tri.uv[c][1];
      } else {
        uint32_t last = v;
        while (!same(vertices_[v]) && nextCopy[v] != UINT32_MAX) v = nextCopy[v];
        if (!same(vertices_[v])) {
          for (last = v; nextCopy[last] != UINT32_MAX;) last = nextCopy[last];
          PolyVertex copy = vertices_[tri.v[c]];
          std::copy(nf, nf + 3, copy.normal);
          copy.uv[0] = tri.uv[c][0];
          copy.uv[1] = tri.uv[c][1];
          v = static_cast<uint32_t>(vertices_.size());
          vertices_.push_back(copy);
          nextCopy.push_back(UINT32_MAX);
          nextCopy[last] = v;
        }
      }
      out.push_back(v);
    }
  }
  indices_.clear();
  for (size_t m = 0; m < materials_.size(); ++m) {
    materials_[m].indexCount = static_cast<uint32_t>(perMaterial[m].size());
    indices_.insert(indices_.end(), perMaterial[m].begin(), perMaterial[m].end());
  }
  return Finish(65535) ? 0 : -2;
}

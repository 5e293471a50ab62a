#include "auxdata/poly/VRMLLoader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>

#include "auxdata/poly/ByteReader.h"

namespace {

struct Token {
  std::string_view text;
  bool quoted = false;
};

bool Separator(char c) {
  return c == ' ' || c == ',' || c == '(' || c == ')' || c == '\t' || c == '\r' || c == '\n';
}
bool Bracket(char c) { return c == '[' || c == ']' || c == '{' || c == '}'; }

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (Separator(c)) {
      ++i;
    } else if (c == '#') {
      const size_t nl = s.find('\n', i);
      i = nl == std::string_view::npos ? s.size() : nl + 1;
    } else if (Bracket(c)) {
      out.push_back({s.substr(i, 1), false});
      ++i;
    } else if (c == '"') {
      const size_t end = s.find('"', i + 1);
      const size_t stop = end == std::string_view::npos ? s.size() : end;
      out.push_back({s.substr(i + 1, stop - i - 1), true});
      i = stop + 1;
    } else {
      size_t j = i;
      while (j < s.size() && !Separator(s[j]) && !Bracket(s[j]) && s[j] != '"' && s[j] != '#') ++j;
      out.push_back({s.substr(i, j - i), false});
      i = j;
    }
  }
  return out;
}

bool IsNumber(const Token& t) {
  if (t.quoted || t.text.empty()) return false;
  const char c = t.text[0];
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

double ToNumber(std::string_view t) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  return (r.ec == std::errc() && std::isfinite(v)) ? v : 0.0;
}

enum class Kind { kOther, kGroup, kTransform, kShape, kAppearance, kMaterial, kFaceSet, kCoordinate, kNormal };

Kind KindOf(std::string_view type) {
  if (type == "Group" || type == "Anchor" || type == "Inline" || type == "Collision" ||
      type == "Billboard" || type == "Switch" || type == "LOD") {
    return Kind::kGroup;
  }
  if (type == "Transform") return Kind::kTransform;
  if (type == "Shape") return Kind::kShape;
  if (type == "Appearance") return Kind::kAppearance;
  if (type == "Material") return Kind::kMaterial;
  if (type == "IndexedFaceSet") return Kind::kFaceSet;
  if (type == "Coordinate") return Kind::kCoordinate;
  if (type == "Normal") return Kind::kNormal;
  return Kind::kOther;
}

struct Node {
  Kind kind = Kind::kOther;
  int group = -1;  // the innermost grouping node around it
  double translation[3] = {0, 0, 0}, center[3] = {0, 0, 0}, scale[3] = {1, 1, 1};
  double rotation[4] = {0, 0, 1, 0};
  float diffuse[3] = {0.8f, 0.8f, 0.8f};
  std::vector<float> values;  // point or vector
  std::vector<int64_t> coordIndex, normalIndex;
  int appearance = -1, material = -1, geometry = -1, coord = -1, normal = -1;
  double matrix[12] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};  // row-major 3x4, world
};

// a = a * b for row-major 3x4 affine matrices.
void Compose(double a[12], const double b[12]) {
  double r[12];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) {
      r[4 * i + j] = a[4 * i] * b[j] + a[4 * i + 1] * b[4 + j] + a[4 * i + 2] * b[8 + j] + (j == 3 ? a[4 * i + 3] : 0);
    }
  }
  std::copy(r, r + 12, a);
}

// T * C * R * S * -C, as grouping transforms apply about their centre.
void LocalMatrix(const Node& n, double m[12]) {
  const double t[12] = {1, 0, 0, n.translation[0] + n.center[0], 0, 1, 0, n.translation[1] + n.center[1],
                        0, 0, 1, n.translation[2] + n.center[2]};
  std::copy(t, t + 12, m);
  double ax = n.rotation[0], ay = n.rotation[1], az = n.rotation[2];
  const double len = std::sqrt(ax * ax + ay * ay + az * az);
  if (len > 0) {
    ax /= len, ay /= len, az /= len;
    const double c = std::cos(n.rotation[3]), s = std::sin(n.rotation[3]), k = 1 - c;
    const double r[12] = {c + ax * ax * k, ax * ay * k - az * s, ax * az * k + ay * s, 0,
                          ay * ax * k + az * s, c + ay * ay * k, ay * az * k - ax * s, 0,
                          az * ax * k - ay * s, az * ay * k + ax * s, c + az * az * k, 0};
    Compose(m, r);
  }
  const double sc[12] = {n.scale[0], 0, 0, 0, 0, n.scale[1], 0, 0, 0, 0, n.scale[2], 0};
  Compose(m, sc);
  const double back[12] = {1, 0, 0, -n.center[0], 0, 1, 0, -n.center[1], 0, 0, 1, -n.center[2]};
  Compose(m, back);
}

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  std::vector<Node> nodes;
  std::string error;

  bool Run();

 private:
  struct Context {
    int node;             // -1: top level
    std::string_view field;  // the node field a list or a value belongs to
    bool list;            // inside "[ ... ]" of node values
  };

  bool More() const { return p_ < t_.size(); }
  const Token& Peek() const { return t_[p_]; }
  bool Is(std::string_view s) const { return More() && !Peek().quoted && Peek().text == s; }
  void SkipBalanced();  // at "[" or "{"
  void SkipValue();
  void ReadNumbers(std::vector<float>* floats, std::vector<int64_t>* ints);
  void ReadFixed(double* out, int n);
  // At a node (DEF, USE, NULL or a type): a USE or NULL is consumed and attached; a node
  // opens a context. False on a malformed header.
  bool StartNode(std::vector<Context>& stack, int parent, std::string_view field);
  void Attach(int parent, std::string_view field, int child);
  int GroupOf(int node) const {
    if (node < 0) return -1;
    const Kind k = nodes[static_cast<size_t>(node)].kind;
    return (k == Kind::kGroup || k == Kind::kTransform) ? node : nodes[static_cast<size_t>(node)].group;
  }

  std::vector<Token> t_;
  size_t p_ = 0;
  std::map<std::string, int, std::less<>> defs_;
  std::vector<std::pair<std::string_view, int>> pendingDefs_;  // named when they close
};

void Parser::SkipBalanced() {
  size_t depth = 0;
  do {
    const Token& t = t_[p_++];
    if (!t.quoted && (t.text == "[" || t.text == "{")) ++depth;
    if (!t.quoted && (t.text == "]" || t.text == "}")) --depth;
  } while (depth > 0 && More());
}

void Parser::SkipValue() {
  if (!More()) return;
  if (Is("[")) return SkipBalanced();
  if (Is("USE")) {
    p_ = std::min(p_ + 2, t_.size());
    return;
  }
  if (Is("DEF")) p_ = std::min(p_ + 2, t_.size());
  if (More() && p_ + 1 < t_.size() && t_[p_ + 1].text == "{" && !t_[p_ + 1].quoted) {
    ++p_;
    return SkipBalanced();
  }
  while (More()) {
    const Token& t = Peek();
    if (t.quoted || IsNumber(t) || t.text == "TRUE" || t.text == "FALSE" || t.text == "NULL") ++p_;
    else break;
  }
}

void Parser::ReadNumbers(std::vector<float>* floats, std::vector<int64_t>* ints) {
  const bool list = Is("[");
  if (list) ++p_;
  while (More() && IsNumber(Peek())) {
    const double v = ToNumber(Peek().text);
    if (floats) floats->push_back(static_cast<float>(v));
    if (ints) ints->push_back(static_cast<int64_t>(std::clamp(v, -1e15, 1e15)));
    ++p_;
  }
  if (list && Is("]")) ++p_;
  else if (list) SkipValue();
}

void Parser::ReadFixed(double* out, int n) {
  for (int k = 0; k < n && More() && IsNumber(Peek()); ++k, ++p_) out[k] = ToNumber(Peek().text);
}

void Parser::Attach(int parent, std::string_view field, int child) {
  if (parent < 0) return;
  Node& p = nodes[static_cast<size_t>(parent)];
  if (field == "appearance") p.appearance = child;
  else if (field == "material") p.material = child;
  else if (field == "geometry") p.geometry = child;
  else if (field == "coord") p.coord = child;
  else if (field == "normal") p.normal = child;
}

bool Parser::StartNode(std::vector<Context>& stack, int parent, std::string_view field) {
  if (Is("NULL")) return ++p_, true;
  if (Is("USE")) {
    if (p_ + 1 >= t_.size()) return error = "USE without a name", false;
    const auto it = defs_.find(t_[p_ + 1].text);
    if (it == defs_.end()) return error = "USE of an unknown name \"" + std::string(t_[p_ + 1].text) + "\"", false;
    Attach(parent, field, it->second);  // shared attributes; shared grouping nodes are not instanced
    p_ += 2;
    return true;
  }
  std::string_view name;
  if (Is("DEF")) {
    if (p_ + 1 >= t_.size()) return error = "DEF without a name", false;
    name = t_[p_ + 1].text;
    p_ += 2;
  }
  if (p_ + 1 >= t_.size() || t_[p_ + 1].text != "{") {
    return error = "a node type must be followed by \"{\" (token " + std::to_string(p_) + ")", false;
  }
  Node n;
  n.kind = KindOf(Peek().text);
  n.group = GroupOf(parent);
  if (n.kind == Kind::kMaterial) std::fill(n.diffuse, n.diffuse + 3, 0.8f);
  p_ += 2;
  const int index = static_cast<int>(nodes.size());
  nodes.push_back(std::move(n));
  Attach(parent, field, index);
  if (!name.empty()) pendingDefs_.emplace_back(name, index);
  stack.push_back({index, {}, false});
  return true;
}

bool Parser::Run() {
  std::vector<Context> stack;
  while (More()) {
    if (stack.empty()) {
      if (Is("PROTO")) {
        p_ += 2;
        if (Is("[")) SkipBalanced();
        if (Is("{")) SkipBalanced();
      } else if (Is("EXTERNPROTO")) {
        p_ += 2;
        if (Is("[")) SkipBalanced();
        SkipValue();
      } else if (Is("ROUTE")) {
        p_ = std::min(p_ + 4, t_.size());
      } else if (Is("}") || Is("]")) {
        return error = "an unmatched \"" + std::string(Peek().text) + "\"", false;
      } else if (!StartNode(stack, -1, {})) {
        return false;
      }
      continue;
    }
    Context& c = stack.back();
    if (c.list) {
      if (Is("]")) {
        ++p_;
        stack.pop_back();
      } else if (!StartNode(stack, c.node, c.field)) {
        return false;
      }
      continue;
    }
    if (Is("}")) {
      ++p_;
      for (auto it = pendingDefs_.begin(); it != pendingDefs_.end(); ++it) {
        if (it->second == c.node) {
          defs_[std::string(it->first)] = c.node;
          pendingDefs_.erase(it);
          break;
        }
      }
      stack.pop_back();
      continue;
    }
    const Token field = Peek();
    ++p_;
    Node& n = nodes[static_cast<size_t>(c.node)];
    const std::string_view f = field.text;
    if (f == "children" || f == "appearance" || f == "material" || f == "geometry" || f == "coord" ||
        f == "normal" || f == "choice" || f == "level") {
      const int parent = c.node;
      if (Is("[")) {
        ++p_;
        stack.push_back({parent, f, true});
      } else if (!StartNode(stack, parent, f)) {
        return false;
      }
    } else if (f == "translation") {
      ReadFixed(n.translation, 3);
    } else if (f == "center") {
      ReadFixed(n.center, 3);
    } else if (f == "scale") {
      ReadFixed(n.scale, 3);
    } else if (f == "rotation") {
      ReadFixed(n.rotation, 4);
    } else if (f == "diffuseColor") {
      double d[3] = {n.diffuse[0], n.diffuse[1], n.diffuse[2]};
      ReadFixed(d, 3);
      for (int k = 0; k < 3; ++k) n.diffuse[k] = static_cast<float>(d[k]);
    } else if (f == "point" || f == "vector") {
      ReadNumbers(&n.values, nullptr);
    } else if (f == "coordIndex") {
      ReadNumbers(nullptr, &n.coordIndex);
    } else if (f == "normalIndex") {
      ReadNumbers(nullptr, &n.normalIndex);
    } else {
      SkipValue();
    }
  }
  if (!stack.empty()) return error = "the file ends inside a node", false;
  return true;
}

}  // namespace

int VRMLLoader::Load(const std::string& path) {
  std::string text;
  if (!qv::poly::ReadWholeFile(path, text)) {
    Fail("the file cannot be opened");
    return -1;
  }
  return Parse(text, path);
}

int VRMLLoader::Parse(std::string_view text, const std::string& path) {
  SetDirectoryFrom(path);
  if (text.substr(0, 15) != "#VRML V2.0 utf8") return Fail("no \"#VRML V2.0 utf8\" header"), -2;
  Parser parser(Tokenize(text));
  if (!parser.Run()) return Fail(parser.error), -2;
  std::vector<Node>& nodes = parser.nodes;
  // Parents come before their children, so one pass in order composes every world matrix.
  for (Node& n : nodes) {
    if (n.group >= 0) std::copy(nodes[static_cast<size_t>(n.group)].matrix, nodes[static_cast<size_t>(n.group)].matrix + 12, n.matrix);
    if (n.kind == Kind::kTransform) {
      double local[12];
      LocalMatrix(n, local);
      Compose(n.matrix, local);
    }
  }
  auto node = [&](int i, Kind k) -> const Node* {
    return (i >= 0 && nodes[static_cast<size_t>(i)].kind == k) ? &nodes[static_cast<size_t>(i)] : nullptr;
  };
  for (size_t s = 0; s < nodes.size(); ++s) {
    const Node& shape = nodes[s];
    if (shape.kind != Kind::kShape) continue;
    const Node* faces = node(shape.geometry, Kind::kFaceSet);
    if (!faces) continue;
    const Node* coord = node(faces->coord, Kind::kCoordinate);
    const Node* normal = node(faces->normal, Kind::kNormal);
    const Node* appearance = node(shape.appearance, Kind::kAppearance);
    const Node* material = appearance ? node(appearance->material, Kind::kMaterial) : nullptr;
    PolyMaterial mat;
    if (material) mat.diffuse = {material->diffuse[0], material->diffuse[1], material->diffuse[2], 1};
    mat.indexCount = 0;
    const size_t np = coord ? coord->values.size() / 3 : 0;
    const size_t nn = normal ? normal->values.size() / 3 : 0;
    const std::vector<int64_t>& ci = faces->coordIndex;
    const std::vector<int64_t>& ni = (normal && !faces->normalIndex.empty()) ? faces->normalIndex : ci;
    const double* m = (shape.group >= 0 ? nodes[static_cast<size_t>(shape.group)].matrix : shape.matrix);
    size_t start = 0;
    for (size_t k = 0; k <= ci.size(); ++k) {
      if (k < ci.size() && ci[k] >= 0) continue;
      const size_t count = k - start;
      if (count >= 3) {
        const uint32_t first = static_cast<uint32_t>(vertices_.size());
        for (size_t j = start; j < k; ++j) {
          if (static_cast<uint64_t>(ci[j]) >= np) {
            return Fail("coordIndex " + std::to_string(ci[j]) + " lies outside the " + std::to_string(np) + " points"), -2;
          }
          const float* p = &coord->values[3 * static_cast<size_t>(ci[j])];
          PolyVertex v{};
          for (int r = 0; r < 3; ++r) {
            v.position[r] = static_cast<float>(m[4 * r] * p[0] + m[4 * r + 1] * p[1] + m[4 * r + 2] * p[2] + m[4 * r + 3]);
          }
          if (normal) {
            const int64_t q = j < ni.size() ? ni[j] : -1;
            if (q < 0 || static_cast<uint64_t>(q) >= nn) {
              return Fail("normal index " + std::to_string(q) + " lies outside the " + std::to_string(nn) + " normals"), -2;
            }
            const float* d = &normal->values[3 * static_cast<size_t>(q)];
            double w[3], len = 0;
            for (int r = 0; r < 3; ++r) {
              w[r] = m[4 * r] * d[0] + m[4 * r + 1] * d[1] + m[4 * r + 2] * d[2];
              len += w[r] * w[r];
            }
            len = std::sqrt(len);
            for (int r = 0; r < 3; ++r) v.normal[r] = len > 0 ? static_cast<float>(w[r] / len) : 0.f;
          }
          vertices_.push_back(v);
        }
        if (!normal) {
          // Newell's normal: sound for non-planar and concave polygons too.
          double w[3] = {0, 0, 0};
          for (size_t j = 0; j < count; ++j) {
            const float* a = vertices_[first + j].position;
            const float* b = vertices_[first + (j + 1) % count].position;
            w[0] += (double{a[1]} - b[1]) * (double{a[2]} + b[2]);
            w[1] += (double{a[2]} - b[2]) * (double{a[0]} + b[0]);
            w[2] += (double{a[0]} - b[0]) * (double{a[1]} + b[1]);
          }
          const double len = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
          for (size_t j = 0; j < count; ++j) {
            for (int r = 0; r < 3; ++r) vertices_[first + j].normal[r] = len > 0 ? static_cast<float>(w[r] / len) : 0.f;
          }
        }
        for (size_t j = 1; j + 1 < count; ++j) {
          indices_.insert(indices_.end(), {first, first + static_cast<uint32_t>(j), first + static_cast<uint32_t>(j + 1)});
          mat.indexCount += 3;
        }
      }
      start = k + 1;
    }
    if (mat.indexCount > 0) materials_.push_back(mat);
  }
  return Finish(65535) ? 0 : -2;
}

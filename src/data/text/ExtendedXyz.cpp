#include "data/text/ExtendedXyz.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "data/AtomsData.h"
#include "data/ElementTable.h"
#include "data/text/NumberScan.h"

namespace qv {

namespace {

bool Contains(std::string_view s, std::string_view what) { return s.find(what) != std::string_view::npos; }

// Key=value pairs separated by spaces; a value may be quoted with '"' (and then hold
// spaces). Keys compare case-insensitively, as the codes writing them disagree.
struct Pair {
  std::string_view key, value;
};

std::vector<Pair> Pairs(std::string_view s) {
  std::vector<Pair> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && scan::IsSpace(s[i])) ++i;
    const size_t k = i;
    while (i < s.size() && s[i] != '=' && !scan::IsSpace(s[i])) ++i;
    const std::string_view key = s.substr(k, i - k);
    if (i >= s.size() || s[i] != '=') {
      out.push_back({key, {}});  // a bare word: a flag
      continue;
    }
    ++i;
    std::string_view value;
    if (i < s.size() && s[i] == '"') {
      const size_t from = ++i;
      while (i < s.size() && s[i] != '"') ++i;
      value = s.substr(from, i - from);
      if (i < s.size()) ++i;
    } else {
      const size_t from = i;
      while (i < s.size() && !scan::IsSpace(s[i])) ++i;
      value = s.substr(from, i - from);
    }
    out.push_back({key, value});
  }
  return out;
}

bool SameKey(std::string_view a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

// Exactly n finite numbers and nothing else.
bool Numbers(std::string_view s, double* out, int n) {
  const char* p = s.data();
  const char* e = p + s.size();
  for (int k = 0; k < n; ++k) {
    const char* q = scan::Real(p, e, out[k]);
    if (!q || !std::isfinite(out[k]) || (q < e && !scan::IsSpace(*q))) return false;
    p = q;
  }
  return scan::SkipSpace(p, e) == e;
}

// "name:type:count" triples; false when the list is malformed or has no positions.
bool Columns(std::string_view s, XyzColumns& c, std::string& problem) {
  XyzColumns out;
  out.species = out.number = out.pos = -1;
  int word = 0;
  size_t i = 0;
  while (i < s.size()) {
    std::string_view part[3];
    for (int k = 0; k < 3; ++k) {
      const size_t colon = s.find(':', i);
      const size_t end = colon == std::string_view::npos ? s.size() : colon;
      part[k] = s.substr(i, end - i);
      i = end == s.size() ? end : end + 1;
    }
    int count = 0;
    const char* p = part[2].data();
    const char* q = scan::Int(p, p + part[2].size(), count);
    if (part[0].empty() || part[1].size() != 1 || !q || q != p + part[2].size() || count < 1 || count > 1000) {
      problem = "Properties=" + std::string(s) + " is not a list of name:type:count";
      return false;
    }
    if (part[0] == "species" && part[1] == "S" && count == 1) out.species = word;
    if (part[0] == "Z" && part[1] == "I" && count == 1) out.number = word;
    if (part[0] == "pos" && part[1] == "R" && count == 3) out.pos = word;
    word += count;
  }
  if (out.pos < 0) {
    problem = "Properties=" + std::string(s) + " has no pos:R:3 column";
    return false;
  }
  out.words = word;
  c = out;
  return true;
}

}  // namespace

XyzTitle ParseXyzTitle(std::string_view title) {
  XyzTitle t;
  if (!Contains(title, "=")) return t;
  if (!Contains(title, "attice=") && !Contains(title, "ATTICE=") && !Contains(title, "roperties=") &&
      !Contains(title, "ROPERTIES="))
    return t;
  for (const Pair& p : Pairs(title)) {
    if (SameKey(p.key, "lattice")) {
      if (Numbers(p.value, t.box, 9)) {
        t.lattice = true;
      } else {
        t.problem = "Lattice=\"" + std::string(p.value) + "\" is not nine numbers";
      }
    } else if (SameKey(p.key, "origin")) {
      if (!Numbers(p.value, t.origin, 3)) {
        t.origin[0] = t.origin[1] = t.origin[2] = 0;
        t.problem = "Origin=\"" + std::string(p.value) + "\" is not three numbers";
      }
    } else if (SameKey(p.key, "properties")) {
      t.extended = Columns(p.value, t.columns, t.problem);
    }
  }
  if (!t.lattice) t.origin[0] = t.origin[1] = t.origin[2] = 0;
  return t;
}

void ApplyXyzTitle(const XyzTitle& title, ATOMS_DATA& frame) {
  if (!title.lattice) return;
  for (int k = 0; k < 9; ++k) frame.box[k] = title.box[k];
  for (int k = 0; k < 3; ++k) frame.origin[k] = title.origin[k];
}

bool ParseExtendedAtomLine(const XyzColumns& columns, const char* p, const char* e, int32_t& z, float* r,
                           int& nonFinite) {
  z = 0;
  r[0] = r[1] = r[2] = 0.0f;
  std::string_view word;
  int n = 0;
  bool ok = true;
  for (; n < columns.words; ++n) {
    word = scan::Word(p, e);
    if (word.empty()) {
      ok = false;
      break;
    }
    if (n == columns.species) {
      const int number = AtomicNumberOf(word);
      z = number < 0 ? 0 : number;
    } else if (n == columns.number && columns.species < 0) {
      int number = 0;
      if (scan::Int(word.data(), word.data() + word.size(), number)) z = number < 0 ? 0 : number;
    } else if (n >= columns.pos && n < columns.pos + 3) {
      double v = 0;
      if (scan::Real(word.data(), word.data() + word.size(), v)) {
        const float f = static_cast<float>(v);
        if (std::isfinite(f)) {
          r[n - columns.pos] = f;
        } else {
          ++nonFinite;
        }
      }
    }
  }
  return ok;
}

}  // namespace qv

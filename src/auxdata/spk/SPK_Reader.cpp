#include "auxdata/spk/SPK_Reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/text/NumberScan.h"

namespace {

// The line's numbers after its first word, at most `max`; how many were read.
int Numbers(std::string_view line, double* out, int max) {
  const char* p = line.data();
  const char* e = p + line.size();
  qv::scan::Word(p, e);
  int n = 0;
  while (n < max && (p = qv::scan::Real(p, e, out[n]))) ++n;
  return n;
}

std::string_view FirstWord(std::string_view line) {
  const char* p = line.data();
  return qv::scan::Word(p, p + line.size());
}

}  // namespace

int SPK_Reader::Open(const std::string& path) {
  if (open_) return -2;
  if (!lines_.Open(path)) return -1;
  open_ = true;
  name_ = path;
  return ReadCounts();
}

int SPK_Reader::OpenMemory(std::string_view text, const std::string& name) {
  if (open_) return -2;
  lines_.OpenMemory(text);
  open_ = true;
  name_ = name;
  return ReadCounts();
}

int SPK_Reader::ReadCounts() {
  std::string_view line;
  if (!lines_.Next(line)) return -3;
  const char* p = line.data();
  const char* e = p + line.size();
  int n = 0, m = 0;
  p = qv::scan::Int(p, e, n);
  if (p) qv::scan::Int(p, e, m);
  n_ = n;
  m_ = m > 0 ? m : 0;
  return n_ > 0 ? 0 : -3;
}

void SPK_Reader::Read(SPK_Record& out) {
  out = SPK_Record();
  out.n = n_;
  out.m = m_;
  if (!open_ || n_ <= 0) return;
  const char* name = name_.c_str();
  std::string_view line;
  if (!lines_.Next(line)) {  // the title
    std::printf("%s: the file ends after its first line\n", name);
    return;
  }
  if (!lines_.Next(line)) {
    std::printf("%s: the file ends before its sites\n", name);
    return;
  }
  if (FirstWord(line) == "BOX") {
    double v[12];
    if (Numbers(line, v, 12) < 12) {
      std::printf("%s: line %lld: a BOX line needs twelve numbers; the box stays zero\n", name,
                  static_cast<long long>(lines_.LineNumber()));
    } else {
      std::copy(v, v + 9, out.box);
      std::copy(v + 9, v + 12, out.origin);
    }
  }
  // The line that ends the site list early is the first candidate for the path list.
  bool pending = false;
  while (static_cast<int32_t>(out.sites.size()) < n_) {
    if (!lines_.Next(line)) break;
    double v[3];
    if (FirstWord(line) != "SITE" || Numbers(line, v, 3) < 3 ||
        !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
      pending = true;
      break;
    }
    SPK_Site s;
    s.index = static_cast<int32_t>(out.sites.size());
    s.x = v[0], s.y = v[1], s.z = v[2];
    out.sites.push_back(s);
  }
  if (static_cast<int32_t>(out.sites.size()) < n_) {
    std::printf("%s: %zu of the %d sites announced\n", name, out.sites.size(), n_);
  }
  while (static_cast<int32_t>(out.paths.size()) < m_) {
    if (!pending && !lines_.Next(line)) break;
    pending = false;
    const char* p = line.data();
    const char* e = p + line.size();
    int i = 0, j = 0;
    if (qv::scan::Word(p, e) != "PATH" || !(p = qv::scan::Int(p, e, i)) ||
        !(p = qv::scan::Int(p, e, j))) {
      break;
    }
    SPK_Path path;
    path.i = i, path.j = j;
    if ((p = qv::scan::Real(p, e, path.p))) qv::scan::Real(p, e, path.q);
    out.paths.push_back(path);
  }
  if (static_cast<int32_t>(out.paths.size()) < m_) {
    std::printf("%s: %zu of the %d paths announced\n", name, out.paths.size(), m_);
  }
}

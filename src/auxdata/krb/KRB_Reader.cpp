#include "auxdata/krb/KRB_Reader.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "data/ElementTable.h"
#include "data/text/LineReader.h"
#include "data/text/NumberScan.h"

namespace {

using qv::scan::Word;

bool Int64(std::string_view w, int64_t& out) {
  if (!w.empty() && w.front() == '+') w.remove_prefix(1);
  auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), out);
  return ec == std::errc() && p == w.data() + w.size();
}

bool Float(std::string_view w, float& out) {
  double v = 0;
  const char* end = qv::scan::Real(w.data(), w.data() + w.size(), v);
  if (!end || end != w.data() + w.size() || !std::isfinite(v) || std::fabs(v) > 3.4e38) return false;
  out = static_cast<float>(v);
  return true;
}

bool Blank(std::string_view line) {
  const char* p = line.data();
  return qv::scan::SkipSpace(p, p + line.size()) == p + line.size();
}

// A record line: time, kind, species symbol, id, x, y, z.
bool ParseRecord(std::string_view line, KrbRecord& r) {
  const char* p = line.data();
  const char* e = p + line.size();
  if (!Int64(Word(p, e), r.time)) return false;
  const std::string_view kind = Word(p, e);
  const std::string_view symbol = Word(p, e);
  if (symbol.empty()) return false;
  r.kind = kind == "BCA" ? kKrbBca : kind == "DEL" ? kKrbDelete : kKrbOrdinary;
  r.species = qv::AtomicNumberOf(symbol);
  return Int64(Word(p, e), r.id) && Float(Word(p, e), r.x) && Float(Word(p, e), r.y) &&
         Float(Word(p, e), r.z);
}

}  // namespace

template <class Lines>
int KRB_Reader::ReadLines(Lines& lines) {
  std::string_view line;
  bool boxSeen = false;
  while (lines.Next(line)) {
    if (Blank(line)) continue;
    const char* p = line.data();
    const char* e = p + line.size();
    if (Word(p, e) != "BOX") return kKrbNoBox;
    float n[12];
    for (float& v : n) {
      if (!Float(Word(p, e), v)) return kKrbShortBox;
    }
    // Column by column: the first three numbers are the edge vectors' first components.
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) box[3 * i + j] = n[3 * j + i];
    }
    std::copy(n + 9, n + 12, origin);
    boxSeen = true;
    break;
  }
  if (!boxSeen) return kKrbNoBox;

  // A record line is at least 14 bytes: the file bounds the first capacity.
  records_.reserve(std::min<uint64_t>(kInitialCapacity, lines.BytesLeft() / 14 + 1));
  KrbRecord r;
  while (lines.Next(line)) {
    if (Blank(line)) continue;
    if (!ParseRecord(line, r)) {
      if (skippedLines++ == 0) firstSkippedLine = lines.LineNumber();
      continue;
    }
    records_.push_back(r);
  }
  // The replay and the visible count rely on time order.
  const auto byTime = [](const KrbRecord& a, const KrbRecord& b) { return a.time < b.time; };
  if (!std::is_sorted(records_.begin(), records_.end(), byTime)) {
    std::stable_sort(records_.begin(), records_.end(), byTime);
    sortedByTime = true;
  }
  if (zReversed_) {
    for (KrbRecord& rec : records_) rec.z = -rec.z;
    origin[2] -= box[8];
  }
  lastTime_ = records_.empty() ? 0 : records_.back().time;
  const int64_t start = std::min<int64_t>(lastTime_, 0);
  visible_ = 0;
  while (visible_ < records_.size() && records_[visible_].time <= start) ++visible_;
  frame_ = 0;
  return kKrbRead;
}

int KRB_Reader::Read(const std::string& path) {
  qv::LineReader lines;
  if (!lines.Open(path)) return kKrbCannotOpen;
  return ReadLines(lines);
}

int KRB_Reader::ReadMemory(std::string_view text) {
  qv::LineReader lines;
  lines.OpenMemory(text);
  return ReadLines(lines);
}

int KRB_Reader::FrameLimit() const {
  return static_cast<int>(std::clamp<int64_t>(lastTime_, 0, INT_MAX));
}

int KRB_Reader::SetFrame(int f) {
  f = std::clamp(f, 0, FrameLimit());
  while (visible_ < records_.size() && records_[visible_].time <= f) ++visible_;
  while (visible_ > 0 && records_[visible_ - 1].time > f) --visible_;
  frame_ = f;
  return f;
}

void KRB_Reader::GetBox(double b[9], double o[3]) const {
  std::copy(box, box + 9, b);
  std::copy(origin, origin + 3, o);
}

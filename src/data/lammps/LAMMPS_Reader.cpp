#include "data/lammps/LAMMPS_Reader.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <type_traits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "data/Console.h"
#include "data/ElementTable.h"
#include "data/text/NumberScan.h"
#include "data/text/ParallelText.h"

namespace qv {

namespace {

// Header lines are short; a longer line grows the buffer chunk by chunk up to kMaxLine.
constexpr size_t kChunk = size_t{64} << 10;
// Atom text mapped at once, and atom lines per unit of parallel parsing.
constexpr size_t kWindowBytes = size_t{8} << 20;
constexpr int64_t kRunLines = 8192;

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string_view Trim(std::string_view s) {
  const char* b = scan::SkipSpace(s.data(), s.data() + s.size());
  const char* e = s.data() + s.size();
  while (e > b && scan::IsSpace(e[-1])) --e;
  return std::string_view(b, static_cast<size_t>(e - b));
}

// The whole word as a number; false when it is not one (or has trailing characters).
bool WholeReal(std::string_view w, double& v) {
  const char* e = w.data() + w.size();
  const char* p = scan::Real(w.data(), e, v);
  return p == e && !w.empty();
}

bool WholeInt(std::string_view w, int64_t& v) {
  if (w.empty()) return false;
  const char* p = w.data();
  const char* e = p + w.size();
  const bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  if (p == e) return false;
  int64_t out = 0;
  for (; p < e; ++p) {
    if (*p < '0' || *p > '9') return false;
    if (out > (INT64_MAX - 9) / 10) return false;
    out = out * 10 + (*p - '0');
  }
  v = negative ? -out : out;
  return true;
}

// An integer word at p (the word starts there): the first character after it, or nullptr when
// the word is not a whole integer. The common short case reads eight digits at a time.
const char* IntWord(const char* p, const char* e, int64_t& v) {
  const char* w = p;
  const bool negative = p < e && *p == '-';
  if (p < e && (*p == '+' || *p == '-')) ++p;
  uint64_t m = 0;
  const int digits = scan::Digits(p, e, m);
  if (digits == 0 || (p < e && !scan::IsSpace(*p))) return nullptr;
  if (digits > 18) {  // past what m holds for certain: the careful reader decides
    if (!WholeInt(std::string_view(w, static_cast<size_t>(p - w)), v)) return nullptr;
    return p;
  }
  v = negative ? -static_cast<int64_t>(m) : static_cast<int64_t>(m);
  return p;
}

// A word of one to eight digits, read from eight bytes at once: only for words that
// scan::LineWords gave, which have that many bytes readable from their start.
bool ShortCount(std::string_view w, int64_t& v) {
  if (w.empty() || w.size() > 8) return false;
  const uint64_t x = scan::detail::Load8(w.data());
  const uint64_t t = x - 0x3030303030303030u;
  const uint64_t other = ((x + 0x4646464646464646u) | t) & 0x8080808080808080u;
  if (other != 0 && static_cast<size_t>(std::countr_zero(other) / 8) < w.size()) return false;
  v = static_cast<int64_t>(scan::detail::DigitValue(t, static_cast<int>(w.size())));
  return true;
}

// An integer word, as IntWord; Words tells whether the eight-byte read is safe.
template <class Words>
bool WordInt(std::string_view w, int64_t& v) {
  if constexpr (std::is_same_v<Words, scan::LineWords>) {
    if (ShortCount(w, v)) return true;
  }
  return IntWord(w.data(), w.data() + w.size(), v) == w.data() + w.size();
}

}  // namespace

LAMMPS_Reader::LAMMPS_Reader(std::vector<int32_t> typeElements)
    : typeElements_(std::move(typeElements)) {}

std::string LAMMPS_Reader::Where() const {
  return "the frame of timestep " + std::to_string(header_.timestep) + " at offset " +
         std::to_string(headerOffset_);
}

bool LAMMPS_Reader::Line(std::string_view& out) {
  for (;;) {
    const size_t at = static_cast<size_t>(pos_ - bufferStart_);
    const char* b = buffer_.data() + at;
    const char* e = buffer_.data() + buffer_.size();
    if (at < buffer_.size()) {
      if (const void* nl = std::memchr(b, '\n', static_cast<size_t>(e - b))) {
        const char* n = static_cast<const char*>(nl);
        out = std::string_view(b, static_cast<size_t>(n - b));
        pos_ += (n - b) + 1;
        return true;
      }
    }
    if (eof_) {
      if (b >= e) return false;
      out = std::string_view(b, static_cast<size_t>(e - b));  // a last line without '\n'
      pos_ += e - b;
      return true;
    }
    // Keep the unfinished line and read on after it.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
    bufferStart_ = pos_;
    if (buffer_.size() >= kMaxLine) {
      tooLong_ = true;
      return false;
    }
    const int64_t end = bufferStart_ + static_cast<int64_t>(buffer_.size());
    if (!file_.Seek(end)) return false;
    const int64_t left = file_.Remaining();
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, kChunk));
    if (want == 0) {
      eof_ = true;
      continue;
    }
    const size_t old = buffer_.size();
    buffer_.resize(old + want);
    if (!file_.Read(buffer_.data() + old, want)) {
      buffer_.resize(old);
      eof_ = true;
      continue;
    }
    if (want < kChunk && static_cast<int64_t>(want) == left) eof_ = true;
  }
}

int LAMMPS_Reader::ParseBox(std::string_view item) {
  // "BOX BOUNDS xy xz yz pp pp pp" is triclinic; the flags after it are not needed.
  const bool triclinic = item.find("xy") != std::string_view::npos;
  double lo[3], hi[3], tilt[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    std::string_view line;
    if (!Line(line)) {
      return Fail(kFrameTruncated, "the file ends inside the box bounds of " + Where());
    }
    const char* p = line.data();
    const char* e = p + line.size();
    double v[3] = {0, 0, 0};
    const int need = triclinic ? 3 : 2;
    for (int i = 0; i < need; ++i) {
      const std::string_view w = scan::Word(p, e);
      if (!WholeReal(w, v[i]) || !std::isfinite(v[i])) {
        return Fail(kFrameTruncated, "box bounds line " + std::to_string(k + 1) + " of " +
                                         Where() + " needs " + std::to_string(need) +
                                         " numbers: '" + std::string(line) + "'");
      }
    }
    lo[k] = v[0];
    hi[k] = v[1];
    tilt[k] = v[2];
  }
  const double xy = tilt[0], xz = tilt[1], yz = tilt[2];
  if (triclinic) {
    // The bounds given enclose the tilted cell; the cell's own extent is what is left after
    // taking the tilts off.
    lo[0] -= std::min({0.0, xy, xz, xy + xz});
    hi[0] -= std::max({0.0, xy, xz, xy + xz});
    lo[1] -= std::min(0.0, yz);
    hi[1] -= std::max(0.0, yz);
  }
  Header& h = header_;
  h.a[0] = hi[0] - lo[0], h.a[1] = 0, h.a[2] = 0;
  h.b[0] = xy, h.b[1] = hi[1] - lo[1], h.b[2] = 0;
  h.c[0] = xz, h.c[1] = yz, h.c[2] = hi[2] - lo[2];
  for (int k = 0; k < 3; ++k) h.origin[k] = lo[k];
  return kFrameOk;
}

int LAMMPS_Reader::ParseColumns(std::string_view item) {
  Columns c;
  const char* p = item.data() + std::strlen("ATOMS");
  const char* e = item.data() + item.size();
  // Preference: wrapped positions, then unwrapped, each unscaled before scaled.
  static const char* const kPositions[4][3] = {
      {"x", "y", "z"}, {"xu", "yu", "zu"}, {"xs", "ys", "zs"}, {"xsu", "ysu", "zsu"}};
  int found[4][3] = {{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}};
  int velocity[3] = {-1, -1, -1}, force[3] = {-1, -1, -1};
  for (;;) {
    const std::string_view w = scan::Word(p, e);
    if (w.empty()) break;
    const int at = c.count++;
    if (w == "id") c.id = at;
    else if (w == "type") c.type = at;
    else if (w == "element") c.element = at;
    for (int s = 0; s < 4; ++s)
      for (int k = 0; k < 3; ++k)
        if (w == kPositions[s][k]) found[s][k] = at;
    static const char* const kV[3] = {"vx", "vy", "vz"};
    static const char* const kF[3] = {"fx", "fy", "fz"};
    for (int k = 0; k < 3; ++k) {
      if (w == kV[k]) velocity[k] = at;
      if (w == kF[k]) force[k] = at;
    }
  }
  for (int s = 0; s < 4 && c.pos[0] < 0; ++s) {
    if (found[s][0] >= 0 && found[s][1] >= 0 && found[s][2] >= 0) {
      std::copy(found[s], found[s] + 3, c.pos);
      c.scaled = s >= 2;
    }
  }
  if (c.pos[0] < 0) {
    return Fail(kFrameBadRecord, "the atoms of " + Where() +
                                     " have no position columns (x y z, xu yu zu, xs ys zs "
                                     "or xsu ysu zsu): '" + std::string(item) + "'");
  }
  const int* vec = velocity[0] >= 0 && velocity[1] >= 0 && velocity[2] >= 0 ? velocity
                   : force[0] >= 0 && force[1] >= 0 && force[2] >= 0         ? force
                                                                             : nullptr;
  if (vec) std::copy(vec, vec + 3, c.vec);
  for (int k : {c.id, c.type, c.element, c.pos[0], c.pos[1], c.pos[2], c.vec[0], c.vec[1], c.vec[2]})
    c.used = std::max(c.used, k + 1);
  if (c.used > kMaxColumns) {
    return Fail(kFrameBadRecord, "the atoms of " + Where() + " have their positions or ids after column " +
                                     std::to_string(kMaxColumns) + ", which is not read");
  }
  std::fill(c.role, c.role + kMaxColumns, kRoleSkip);
  auto mark = [&c](int column, uint8_t role) {
    if (column >= 0) c.role[column] = role;
  };
  mark(c.id, kRoleId);
  mark(c.type, kRoleType);
  mark(c.element, kRoleElement);
  for (int k = 0; k < 3; ++k) {
    mark(c.pos[k], static_cast<uint8_t>(kRolePos + k));
    mark(c.vec[k], static_cast<uint8_t>(kRoleVec + k));
  }
  header_.columns = c;
  return kFrameOk;
}

int LAMMPS_Reader::ReadHeader() {
  // A seek since the last read moved the file: start reading there.
  const int64_t at = file_.Tell();
  if (at != pos_ || at < bufferStart_ ||
      at > bufferStart_ + static_cast<int64_t>(buffer_.size())) {
    buffer_.clear();
    bufferStart_ = at;
    eof_ = false;
  }
  pos_ = at;
  tooLong_ = false;
  headerOffset_ = at;
  header_ = Header{};
  ++file_.stats.headerReads;

  std::string_view line;
  // Blank lines between frames are allowed; nothing but them is the end of the data.
  do {
    if (!Line(line)) {
      Sync();
      if (tooLong_) return Fail(kFrameBadRecord, "a line at offset " + std::to_string(pos_) + " is longer than 1 MiB");
      return End();
    }
  } while (Trim(line).empty());
  headerOffset_ = pos_ - static_cast<int64_t>(line.size()) - 1;
  if (!StartsWith(Trim(line), "ITEM:")) {
    Sync();
    return Fail(kFrameBadRecord, "expected an 'ITEM:' line at offset " + std::to_string(headerOffset_) +
                                     ", found '" + std::string(Trim(line)).substr(0, 80) + "'");
  }
  // The sections of a frame's header come in the engine's order, but some versions put UNITS
  // and TIME before TIMESTEP: take them in any order up to ATOMS.
  bool haveStep = false, haveCount = false, haveBox = false;
  int64_t count = -1;
  for (bool first = true;; first = false) {
    if (!first && !Line(line)) {
      Sync();
      return Fail(kFrameTruncated, "the file ends inside the header of " + Where());
    }
    const std::string_view t = Trim(line);
    // Value lines of sections not read here (UNITS, TIME) are passed over.
    if (!StartsWith(t, "ITEM:")) continue;
    const std::string_view item = Trim(t.substr(5));
    int rc = kFrameOk;
    if (item == "TIMESTEP") {
      std::string_view value;
      int64_t step = 0;
      if (haveStep) {
        rc = Fail(kFrameBadRecord, "a second TIMESTEP inside the header at offset " +
                                       std::to_string(headerOffset_));
      } else if (!Line(value) || !WholeInt(Trim(value), step)) {
        rc = Fail(kFrameBadRecord, "the timestep of the frame at offset " + std::to_string(headerOffset_) +
                                       " is not an integer");
      }
      header_.timestep = step;
      haveStep = true;
    } else if (item == "NUMBER OF ATOMS") {
      std::string_view v;
      if (!Line(v) || !WholeInt(Trim(v), count) || count < 0 || count > INT32_MAX) {
        rc = Fail(kFrameBadRecord, "the atom count of " + Where() + " is not a number from 0 to " +
                                       std::to_string(INT32_MAX));
      }
      haveCount = true;
    } else if (StartsWith(item, "BOX BOUNDS")) {
      rc = ParseBox(item);
      haveBox = true;
    } else if (StartsWith(item, "ATOMS")) {
      if (!haveStep || !haveCount || !haveBox) {
        rc = Fail(kFrameBadRecord, Where() + " lists its atoms before its timestep, atom count and box");
      } else {
        rc = ParseColumns(item);
      }
      if (rc != kFrameOk) {
        Sync();
        return rc;
      }
      break;
    }
    if (rc != kFrameOk) {
      Sync();
      return rc;
    }
  }
  Sync();
  // Every atom line holds at least one character per column and a separator.
  const int64_t minimum = count * 2 * std::max(header_.columns.count, 1);
  const int64_t left = file_.Size() - pos_;
  if (minimum > left + 1) {
    return Fail(kFrameTruncated, Where() + " claims " + std::to_string(count) +
                                     " atoms but only " + std::to_string(left) +
                                     " bytes remain in the file");
  }
  if (count == 0) {
    return Fail(kFrameBadRecord, Where() + " has no atoms");
  }
  header_.atoms = static_cast<int32_t>(count);
  return header_.atoms;
}

bool LAMMPS_Reader::BodyWindow() {
  if (!window_) {
    window_ = std::make_unique<TextWindow>(kWindowBytes, kMaxLine);
    if (!window_->Open(file_.Path())) {
      window_.reset();
      Fail(kFrameIoError, file_.Path() + " cannot be mapped for reading its atom lines");
      return false;
    }
  }
  if (!window_->Seek(static_cast<uint64_t>(pos_))) {
    window_.reset();
    Fail(kFrameTruncated, "the atom lines of " + Where() + " lie beyond the end of the file");
    return false;
  }
  return true;
}

int LAMMPS_Reader::AtomLines(int n, int64_t perRun,
                             const std::function<void(int64_t, const char*, const char*, int64_t)>& run,
                             const std::function<void()>& drain) {
  if (!BodyWindow()) return code_;
  window_->beforeMove = drain;
  int64_t first = 0;
  const int64_t passed = window_->SkipLines(n, perRun, [&](const char* b, const char* e, int64_t lines) {
    run(first, b, e, lines);
    first += lines;
  });
  if (drain) drain();
  window_->beforeMove = nullptr;
  pos_ = static_cast<int64_t>(window_->Offset());
  if (passed == n) return kFrameOk;
  if (window_->BytesLeft() > 0) {
    return Fail(kFrameBadRecord, "atom line " + std::to_string(passed + 1) + " of " + Where() +
                                     " is longer than 1 MiB");
  }
  return Fail(kFrameTruncated, "the file ends after " + std::to_string(passed) + " of " + std::to_string(n) +
                                   " atom lines of " + Where());
}

template <class Words>
bool LAMMPS_Reader::ParseAtomLine(Words& words, size_t i, ATOMS_DATA& frame, LineOutcome& out) {
  const Columns& c = header_.columns;
  double v[3] = {0, 0, 0}, vec[3] = {0, 0, 0};
  int64_t type = 0, id = 0;
  std::string_view element;
  // The number a whole word holds; false when it holds something else.
  auto real = [](std::string_view w, double& d) {
    const char* end = w.data() + w.size();
    return scan::Real(w.data(), end, d) == end;
  };
  // One pass along the line's words: numbers are read where they stand, others skipped.
  for (int k = 0; k < c.used; ++k) {
    const uint8_t role = c.role[k];
    std::string_view w;
    double d = 0;
    const bool plain = role >= kRolePos ? words.NextDecimal(w, d) : (w = words.Next(), false);
    if (w.empty()) {
      out.code = kFrameTruncated;
      out.problem = "atom line " + std::to_string(i + 1) + " of " + Where() + " has " + std::to_string(k) +
                    " of " + std::to_string(c.count) + " values";
      return false;
    }
    switch (role) {
      case kRolePos:
      case kRolePos + 1:
      case kRolePos + 2:
        if (!plain && !real(w, d)) {
          out.code = kFrameBadRecord;
          out.problem = "atom line " + std::to_string(i + 1) + " of " + Where() + ": '" + std::string(w) +
                        "' is not a coordinate";
          return false;
        }
        v[role - kRolePos] = d;
        break;
      case kRoleVec:
      case kRoleVec + 1:
      case kRoleVec + 2:
        vec[role - kRoleVec] = plain || real(w, d) ? d : 0.0;
        break;
      case kRoleId:
        if (!WordInt<Words>(w, id)) {
          out.code = kFrameBadRecord;
          out.problem = "atom line " + std::to_string(i + 1) + " of " + Where() + " has no integer id";
          return false;
        }
        break;
      case kRoleType:
        if (!WordInt<Words>(w, type)) type = 0;
        break;
      case kRoleElement:
        element = w;
        break;
      default:
        break;
    }
  }
  if (c.scaled) {
    const double s[3] = {v[0], v[1], v[2]};
    for (int k = 0; k < 3; ++k)
      v[k] = header_.origin[k] + s[0] * header_.a[k] + s[1] * header_.b[k] + s[2] * header_.c[k];
  }
  size_t slot = i;
  const bool byId = placeById_;
  if (byId) {
    // An id beyond 1..n ends placing by id: the caller reads the lines again in file order.
    // So does a repeated id, found afterwards as a slot left empty; until then two lines may
    // write one slot, so slots are written by atomic stores (plain moves here).
    if (id < 1 || id > static_cast<int64_t>(seen_.size())) {
      out.misplaced = true;
      return true;
    }
    slot = static_cast<size_t>(id - 1);
    std::atomic_ref<uint8_t>(seen_[slot]).store(1, std::memory_order_relaxed);
  }
  auto put = [byId](auto& to, auto value) {
    if (byId)
      std::atomic_ref(to).store(value, std::memory_order_relaxed);
    else
      to = value;
  };
  for (int k = 0; k < 3; ++k) {
    if (!std::isfinite(v[k])) {
      v[k] = 0;
      ++out.nonFinite;
    }
    put(frame.positions[3 * slot + k], static_cast<float>(v[k]));
  }
  int32_t z = -1;
  if (c.element >= 0) {
    z = AtomicNumberOf(element);
  } else if (c.type >= 0) {
    const bool listed = type >= 1 && type <= static_cast<int64_t>(typeElements_.size()) &&
                        typeElements_[static_cast<size_t>(type - 1)] >= 0;
    // Unlisted types keep their number, so that they still get distinct colours.
    z = listed ? typeElements_[static_cast<size_t>(type - 1)] : static_cast<int32_t>(std::clamp<int64_t>(type, -1, 118));
  }
  put(frame.atomicNumbers[slot], z);
  if (c.vec[0] >= 0) {
    for (int k = 0; k < 3; ++k)
      put(frame.vectors[3 * slot + k], std::isfinite(vec[k]) ? static_cast<float>(vec[k]) : 0.0f);
  }
  if (!placeById_ && c.id >= 0) ids_[i] = id;
  return true;
}

int LAMMPS_Reader::ParseBody(ATOMS_DATA& frame, int n, bool placeById, LineOutcome& result) {
  // Runs of atom lines are gathered window by window and parsed on every core; the first
  // bad line of the file (not of whichever run finishes first) is the one reported.
  struct Run {
    int64_t first;
    const char* begin;
    const char* end;
    int64_t lines;
  };
  placeById_ = placeById;
  if (placeById) seen_.assign(static_cast<size_t>(n), 0);
  const int threads = ParallelTextThreads(ParallelTextOptions{});
  std::vector<Run> runs;
  std::vector<LineOutcome> outcome;
  result = LineOutcome{};
  auto drain = [&] {
    if (runs.empty() || result.bad >= 0) {
      runs.clear();
      return;
    }
    outcome.assign(runs.size(), LineOutcome{});
    RunParallel(threads, runs.size(), [&](size_t r) {
      const Run& run = runs[r];
      LineOutcome& o = outcome[r];
      ForEachLine(run.begin, run.end, run.lines, [&](int64_t k, const char*, const char*, auto& words) {
        if (o.bad >= 0) return;
        if (!ParseAtomLine(words, static_cast<size_t>(run.first + k), frame, o)) o.bad = run.first + k;
      });
    });
    runs.clear();
    for (LineOutcome& o : outcome) {
      result.nonFinite += o.nonFinite;
      result.misplaced = result.misplaced || o.misplaced;
      if (o.bad >= 0) {
        result.bad = o.bad;
        result.code = o.code;
        result.problem = std::move(o.problem);
        return;
      }
    }
  };
  const int rc = AtomLines(
      n, kRunLines,
      [&](int64_t first, const char* b, const char* e, int64_t lines) { runs.push_back(Run{first, b, e, lines}); },
      drain);
  if (result.bad >= 0) return Fail(result.code, result.problem);
  return rc;
}

int LAMMPS_Reader::ReadFrame(ATOMS_DATA& frame) {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  const Columns& c = header_.columns;
  const size_t un = static_cast<size_t>(n);
  frame.Allocate(n, true, false, c.vec[0] >= 0);
  for (int k = 0; k < 3; ++k) {
    frame.box[k] = header_.a[k];
    frame.box[3 + k] = header_.b[k];
    frame.box[6 + k] = header_.c[k];
    frame.origin[k] = header_.origin[k];
  }
  frame.step = static_cast<int32_t>(std::clamp<int64_t>(header_.timestep, INT32_MIN, INT32_MAX));

  // The engine writes atoms in the order its processors hold them; atom i must be the same
  // atom in every frame. Ids are almost always 1..n, so each line goes straight to the slot
  // its id names; anything else (gaps, repeats) is read again in file order and sorted.
  const int64_t body = pos_;
  const bool byId = c.id >= 0;
  LineOutcome result;
  int rc = ParseBody(frame, n, byId, result);
  if (rc == kFrameOk && byId &&
      (result.misplaced || std::count(seen_.begin(), seen_.end(), uint8_t{1}) != static_cast<std::ptrdiff_t>(n))) {
    pos_ = body;
    ids_.resize(un);
    rc = ParseBody(frame, n, false, result);
    if (rc == kFrameOk) SortById(frame, un);
  }
  seen_ = {};
  held_ = false;
  Sync();
  if (rc != kFrameOk) return rc;
  ++file_.stats.bodyReads;
  if (result.nonFinite > 0) {
    ConsolePrint("%s: %d coordinates of %s are not finite numbers; they are taken as 0\n",
                 file_.Path().c_str(), result.nonFinite, Where().c_str());
  }
  return kFrameOk;
}

void LAMMPS_Reader::SortById(ATOMS_DATA& frame, size_t un) {
  order_.resize(un);
  std::iota(order_.begin(), order_.end(), 0u);
  std::stable_sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return ids_[a] < ids_[b]; });
  // Gathered into fresh arrays on every core: each block of atoms reads from wherever its
  // lines stood.
  qv::PodVector<float> pos(frame.positions.size());
  qv::PodVector<int32_t> z(frame.atomicNumbers.size());
  qv::PodVector<float> vec(frame.vectors.size());
  constexpr size_t kBlock = size_t{1} << 16;
  RunParallel(ParallelTextThreads(ParallelTextOptions{}), (un + kBlock - 1) / kBlock, [&](size_t b) {
    for (size_t i = b * kBlock; i < std::min(un, (b + 1) * kBlock); ++i) {
      const size_t from = order_[i];
      z[i] = frame.atomicNumbers[from];
      for (int k = 0; k < 3; ++k) pos[3 * i + k] = frame.positions[3 * from + k];
      if (!vec.empty())
        for (int k = 0; k < 3; ++k) vec[3 * i + k] = frame.vectors[3 * from + k];
    }
  });
  frame.positions.swap(pos);
  frame.atomicNumbers.swap(z);
  frame.vectors.swap(vec);
  ids_ = {};
  order_ = {};
}

int LAMMPS_Reader::SkipFrame() {
  const int n = PeekAtomCount();
  if (n <= 0) return PeekResult(n);
  const int rc = AtomLines(n, INT64_MAX, [](int64_t, const char*, const char*, int64_t) {}, nullptr);
  held_ = false;
  Sync();
  return rc;
}

}  // namespace qv

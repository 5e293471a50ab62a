#include "data/text/TextFrames.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/Console.h"
#include "data/DataTypeRegistry.h"
#include "data/text/ExtendedXyz.h"
#include "data/text/NumberScan.h"
#include "data/text/ParallelText.h"

namespace qv {
namespace {


bool Blank(std::string_view s) {
  return scan::SkipSpace(s.data(), s.data() + s.size()) == s.data() + s.size();
}

std::string_view Trim(std::string_view s) {
  const char* b = scan::SkipSpace(s.data(), s.data() + s.size());
  const char* e = s.data() + s.size();
  while (e > b && scan::IsSpace(e[-1])) --e;
  return std::string_view(b, static_cast<size_t>(e - b));
}

// Stores a value, counting and zeroing what is not a finite float.
float Finite(double v, int& nonFinite) {
  const float f = static_cast<float>(v);
  if (std::isfinite(f)) return f;
  ++nonFinite;
  return 0.0f;
}

// "%f %f %f" from the k-th value on: stops at the first field that is not a number, leaving
// it (and the rest) as they are.
void ScanXyzFrom(int k, const char* p, const char* e, float* out, int& nonFinite) {
  for (; k < 3; ++k) {
    double v = 0;
    const char* q = scan::Real(p, e, v);
    if (!q) return;
    out[k] = Finite(v, nonFinite);
    p = q;
  }
}

void ScanXyz(const char* p, const char* e, float* out, int& nonFinite) {
  out[0] = out[1] = out[2] = 0.0f;
  ScanXyzFrom(0, p, e, out, nonFinite);
}

// The fields of "%f %f %f" are whole words as long as each is a plain decimal; from the
// first that is not, the numbers are read on byte by byte, as they may end inside a word.
[[gnu::always_inline]] inline void ScanXyz(scan::LineWords& words, const char* e, float* out, int& nonFinite) {
  out[0] = out[1] = out[2] = 0.0f;
  for (int k = 0; k < 3; ++k) {
    std::string_view w;
    double v;
    if (!words.NextDecimal(w, v)) {
      ScanXyzFrom(k, w.data(), e, out, nonFinite);
      return;
    }
    out[k] = static_cast<float>(v);  // below 1e8: always a finite float
  }
}

// "[+-]digits" and nothing else: md2's leading integer when it is a word of its own.
bool PlainInt(std::string_view w) {
  size_t k = !w.empty() && (w[0] == '+' || w[0] == '-');
  if (k == w.size()) return false;
  for (; k < w.size(); ++k) {
    if (static_cast<unsigned>(w[k] - '0') >= 10) return false;
  }
  return true;
}

// Built at compile time: the lookup runs once per atom line and needs no guard.
constexpr std::array<int8_t, 128 * 128> MakeXyzTable() {
  std::array<int8_t, 128 * 128> z{};
  const struct {
    const char* s;
    int z;
  } kEntries[] = {{"h", 1},   {"he", 2},  {"li", 3},  {"be", 4},  {"b", 5},   {"c", 6},
                  {"n", 7},   {"o", 8},   {"f", 9},   {"ne", 10}, {"na", 11}, {"mg", 12},
                  {"al", 13}, {"si", 14}, {"p", 15},  {"s", 16},  {"cl", 17}, {"ea", 17},
                  {"ar", 18}, {"k", 19}};
  for (const auto& en : kEntries) {
    const int c1 = static_cast<unsigned char>(en.s[1]);
    // Both the capitalised and the all-lower-case spelling: "He" and "he", never "HE".
    z[en.s[0] * 128 + c1] = static_cast<int8_t>(en.z);
    z[(en.s[0] - 'a' + 'A') * 128 + c1] = static_cast<int8_t>(en.z);
  }
  return z;
}

constexpr std::array<int8_t, 128 * 128> kXyzTable = MakeXyzTable();

[[gnu::always_inline]] inline int XyzNumber(std::string_view w) {
  if (w.empty()) return 0;
  const auto c0 = static_cast<unsigned char>(w[0]);
  const auto c1 = w.size() > 1 ? static_cast<unsigned char>(w[1]) : 0;
  if (c0 >= 128 || c1 >= 128) return 0;
  return kXyzTable[c0 * 128 + c1];
}

void PrintNonFinite(TextFormat f, int frameNo, int count) {
  if (count > 0) {
    qv::ConsolePrint("%s: frame %d: %d coordinates that are not finite numbers were set to 0\n",
                     TextFormatName(f), frameNo, count);
  }
}

void FillDefaults(ATOMS_DATA& frame, const TextLoad& load, std::string_view title, bool newline) {
  for (int k = 0; k < 9; ++k) frame.box[k] = load.defaultBox[k];
  frame.origin[0] = frame.origin[1] = frame.origin[2] = 0;
  frame.step = 0;
  frame.comment.emplace(title);
  if (newline) frame.comment->push_back('\n');
}

// An atom line of an xyz or md2 frame that LineWords has taken.
[[gnu::always_inline]] inline void CountedLine(TextFormat format, scan::LineWords& words, const char* p,
                                               const char* e, int32_t& z, float* r, int& nonFinite) {
  std::string_view sym = words.Next();
  if (format == TextFormat::kMd2) {
    // Unless the integer is a word of its own the symbol may start right after it.
    if (!PlainInt(sym)) return ParseCountedAtomLine(format, p, e, e, z, r, nonFinite);
    sym = words.Next();
  }
  z = XyzNumber(sym);
  ScanXyz(words, e, r, nonFinite);
}

// xyz and md2 differ only in the integer before each atom's symbol.
std::unique_ptr<ATOMS_DATA> ReadCountedFrame(TextLoad& load, TextFormat format) {
  const char* name = TextFormatName(format);
  LineReader& lines = load.lines;
  std::string_view line;
  do {
    if (!lines.Next(line)) return nullptr;
  } while (Blank(line));  // blank lines between or after frames separate nothing
  int n = 0;
  if (!scan::Int(line.data(), line.data() + line.size(), n)) {
    qv::ConsolePrint("%s: line %lld holds no atom count; reading stops\n", name,
                static_cast<long long>(lines.LineNumber()));
    return nullptr;
  }
  if (n <= 0) {
    qv::ConsolePrint("%s: line %lld: atom count %d is not positive; reading stops\n", name,
                static_cast<long long>(lines.LineNumber()), n);
    return nullptr;
  }
  const int frameNo = load.sequence;
  std::string_view title;
  if (!lines.Next(title)) {
    qv::ConsolePrint("%s: frame %d has no title line; reading stops\n", name, frameNo);
    return nullptr;
  }
  const bool titleNewline = lines.HadNewline();
  // Every atom line needs at least a symbol and a line end.
  if (static_cast<uint64_t>(n) > lines.BytesLeft() / 2 + 1) {
    qv::ConsolePrint("%s: frame %d declares %d atoms, more than the %llu bytes left can hold; "
                "reading stops\n", name, frameNo, n,
                static_cast<unsigned long long>(lines.BytesLeft()));
    return nullptr;
  }
  auto frame = std::make_unique<ATOMS_DATA>();
  FillDefaults(*frame, load, title, titleNewline);  // before title's view is invalidated
  const XyzTitle extended = format == TextFormat::kXyz ? ParseXyzTitle(title) : XyzTitle{};
  ApplyXyzTitle(extended, *frame);
  if (!extended.problem.empty())
    qv::ConsolePrint("%s: frame %d: %s; it is not used\n", name, frameNo, extended.problem.c_str());
  frame->Allocate(n);
  int32_t* z = frame->atomicNumbers.data();
  float* pos = frame->positions.data();
  int nonFinite = 0;
  int i = 0;
  for (; i < n; ++i) {
    // The lines held whole in memory are taken straight from it, each classified in one
    // pass that also finds its end; the reader is told how far they went at the end.
    if (!extended.extended) {
      const std::string_view held = lines.Held();
      const char* p = held.data();
      const char* readable = p + held.size();
      const int from = i;
      scan::LineWords words;
      const char* nl;
      for (; i < n && words.LoadLine(p, readable, nl); ++i) {
        CountedLine(format, words, p, nl, z[i], pos + 3 * static_cast<size_t>(i), nonFinite);
        p = nl + 1;
      }
      if (i > from) lines.TakeLines(i - from, p);
      if (i == n) break;
    }
    if (!lines.Next(line)) break;
    const char* p = line.data();
    const char* e = p + line.size();
    if (extended.extended) {
      ParseExtendedAtomLine(extended.columns, p, e, z[i], pos + 3 * static_cast<size_t>(i), nonFinite);
    } else {
      ParseCountedAtomLine(format, p, e, lines.BufferEnd(), z[i], pos + 3 * static_cast<size_t>(i), nonFinite);
    }
  }
  if (i < n) {
    std::fill(z + i, z + n, 0);
    std::fill(pos + 3 * static_cast<size_t>(i), pos + 3 * static_cast<size_t>(n), 0.0f);
    qv::ConsolePrint("%s: frame %d ends after %d of its %d atoms; the missing atoms are set to 0\n",
                name, frameNo, i, n);
  }
  PrintNonFinite(format, frameNo, nonFinite);
  frame->sequence = load.sequence++;
  load.largestAtomCount = std::max(load.largestAtomCount, n);
  return frame;
}

// An ATOM/HETATM record. Fixed columns when the line has them (x, y, z in columns 31-54,
// name in 13-16, element in 77-78); else the whitespace-separated layout
// "serial name residue ... x y z" read as four words and three numbers.
void ParsePdbAtom(std::string_view line, int32_t& z, float* r, int& nonFinite) {
  if (line.size() >= 54) {
    double v[3];
    bool ok = true;
    for (int k = 0; k < 3 && ok; ++k) {
      const std::string_view field = Trim(line.substr(30 + 8 * k, 8));
      const char* e = field.data() + field.size();
      ok = !field.empty() && scan::Real(field.data(), e, v[k]) == e;
    }
    if (ok) {
      for (int k = 0; k < 3; ++k) r[k] = Finite(v[k], nonFinite);
      std::string_view element = line.size() > 76 ? Trim(line.substr(76, 2)) : std::string_view();
      const bool letters = !element.empty() && std::all_of(element.begin(), element.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      });
      if (letters) {
        char sym[2] = {static_cast<char>(element[0] & ~0x20), 0};
        if (element.size() > 1) sym[1] = static_cast<char>(element[1] | 0x20);
        z = PdbAtomicNumber(std::string_view(sym, element.size()));
      } else {
        z = PdbAtomicNumber(Trim(line.substr(12, 4)));
      }
      return;
    }
  }
  const char* p = line.data();
  const char* e = p + line.size();
  scan::Word(p, e);
  scan::Word(p, e);
  const std::string_view atomName = scan::Word(p, e);
  scan::Word(p, e);
  z = PdbAtomicNumber(atomName);
  ScanXyz(p, e, r, nonFinite);
}

bool IsAtomRecord(std::string_view line) {
  return line.starts_with("ATOM") || line.starts_with("HETATM");
}

// "END" alone (not "ENDMDL"): the end of a file without MODEL records.
bool IsEndRecord(std::string_view line) {
  return line.starts_with("END") && (line.size() == 3 || scan::IsSpace(line[3]));
}

}  // namespace

const char* TextFormatName(TextFormat f) {
  switch (f) {
    case TextFormat::kPdb: return "pdb";
    case TextFormat::kXyz: return "xyz";
    case TextFormat::kMd2: return "md2";
  }
  return "";
}

void ParseCountedAtomLine(TextFormat format, scan::LineWords& words, const char* p, const char* e, int32_t& z,
                          float* r, int& nonFinite) {
  CountedLine(format, words, p, e, z, r, nonFinite);
}

void ParseCountedAtomLine(TextFormat format, const char* p, const char* e, const char* readable, int32_t& z,
                          float* r, int& nonFinite) {
  scan::LineWords words;
  if (words.Load(p, e, readable)) return ParseCountedAtomLine(format, words, p, e, z, r, nonFinite);
  if (format == TextFormat::kMd2) {
    int ignored = 0;
    const char* q = scan::Int(p, e, ignored);
    if (!q) {
      z = 0;
      r[0] = r[1] = r[2] = 0.0f;
      return;
    }
    p = q;
  }
  const std::string_view sym = scan::Word(p, e);
  z = XyzAtomicNumber(sym);
  ScanXyz(p, e, r, nonFinite);
}

std::optional<TextFormat> TextFormatOfPath(std::string_view path) {
  const DataTypeRow* row = DataTypeRegistry::Instance().FindForPath(path);
  if (!row || row->type != kTypeMD) return std::nullopt;
  switch (row->format) {
    case kTrajPdb: return TextFormat::kPdb;
    case kTrajXyz: return TextFormat::kXyz;
    case kTrajMd2: return TextFormat::kMd2;
    default: return std::nullopt;
  }
}

TextLoad::TextLoad(LineReader& l, const float box[9]) : lines(l) {
  work.Allocate(kInitialCapacity);
  std::copy(box, box + 9, defaultBox);
}

int PdbAtomicNumber(std::string_view w) {
  static constexpr const char* kSymbols[] = {"Cc", "H",  "He", "Li", "Be", "B",  "C",
                                             "N",  "O",  "F",  "Ne", "Na", "Mg", "Al",
                                             "Si", "P",  "S",  "Cl", "Ar", "K",  "Ca"};
  for (int i = 0; i < 21; ++i) {
    if (w == kSymbols[i]) return i;
  }
  return 21;
}

int XyzAtomicNumber(std::string_view w) { return XyzNumber(w); }

std::unique_ptr<ATOMS_DATA> ReadXyzFrame(TextLoad& load) {
  return ReadCountedFrame(load, TextFormat::kXyz);
}

std::unique_ptr<ATOMS_DATA> ReadMd2Frame(TextLoad& load) {
  return ReadCountedFrame(load, TextFormat::kMd2);
}

std::unique_ptr<ATOMS_DATA> ReadPdbFrame(TextLoad& load) {
  if (load.pdbDone) return nullptr;
  LineReader& lines = load.lines;
  std::string_view line;
  int step = 0;
  bool modelless = false;
  // Records before the first MODEL (HEADER, REMARK, CRYST1, ...) and between models are
  // skipped; atoms before any MODEL line make the file's single frame.
  for (;;) {
    if (!lines.Next(line)) {
      load.pdbDone = true;
      return nullptr;
    }
    if (line.starts_with("MODEL")) {
      const char* p = line.data();
      const char* e = p + line.size();
      scan::Word(p, e);
      scan::Int(p, e, step);
      load.pdbSawModel = true;
      break;
    }
    if (!load.pdbSawModel && IsAtomRecord(line)) {
      modelless = true;
      break;
    }
  }
  ATOMS_DATA& w = load.work;
  int count = 0;
  int nonFinite = 0;
  bool pending = modelless;  // the line in hand is already an atom
  for (;;) {
    if (!pending) {
      if (!lines.Next(line)) break;
      if (modelless ? IsEndRecord(line) : line.starts_with("ENDMDL")) break;
    }
    pending = false;
    if (!IsAtomRecord(line)) continue;
    if (count == INT_MAX) break;
    if (count == w.atomCount) {
      const int64_t grown = std::min<int64_t>(int64_t{w.atomCount} * 4, INT_MAX);
      w.atomicNumbers.resize(static_cast<size_t>(grown));
      w.positions.resize(3 * static_cast<size_t>(grown));
      w.atomCount = static_cast<int32_t>(grown);
    }
    ParsePdbAtom(line, w.atomicNumbers[count], &w.positions[3 * static_cast<size_t>(count)],
                 nonFinite);
    ++count;
  }
  if (modelless) load.pdbDone = true;
  const int frameNo = load.sequence;
  PrintNonFinite(TextFormat::kPdb, frameNo, nonFinite);
  auto frame = std::make_unique<ATOMS_DATA>();
  frame->Allocate(count);
  std::copy(w.atomicNumbers.begin(), w.atomicNumbers.begin() + count, frame->atomicNumbers.begin());
  std::copy(w.positions.begin(), w.positions.begin() + 3 * static_cast<size_t>(count),
            frame->positions.begin());
  frame->step = step;
  frame->sequence = load.sequence++;
  load.largestAtomCount = std::max(load.largestAtomCount, count);
  return frame;
}

int LoadTextFrames(const std::string& path, TextFormat format, const float defaultBox[9],
                   std::vector<std::unique_ptr<ATOMS_DATA>>& frames, int& largestAtomCount) {
  // A regular file is parsed on every core; anything else (a pipe, a missing file) is left
  // to the serial reader.
  if (LoadCountedFramesParallel(path, format, defaultBox, frames, largestAtomCount) == 0) return 0;
  LineReader lines;
  if (!lines.Open(path)) return -1;
  return LoadTextFrames(lines, format, defaultBox, frames, largestAtomCount);
}

int LoadTextFrames(LineReader& lines, TextFormat format, const float defaultBox[9],
                   std::vector<std::unique_ptr<ATOMS_DATA>>& frames, int& largestAtomCount) {
  TextLoad load(lines, defaultBox);
  load.largestAtomCount = largestAtomCount;
  auto (*read)(TextLoad&)->std::unique_ptr<ATOMS_DATA> =
      format == TextFormat::kPdb ? ReadPdbFrame
                                 : (format == TextFormat::kXyz ? ReadXyzFrame : ReadMd2Frame);
  int loaded = 0;
  while (auto frame = read(load)) {
    frame->index = static_cast<int32_t>(frames.size());
    frames.push_back(std::move(frame));
    ++loaded;
  }
  largestAtomCount = load.largestAtomCount;
  if (loaded == 0 && format == TextFormat::kPdb) {
    qv::ConsolePrint("pdb: no MODEL, ATOM or HETATM record found\n");
  }
  return 0;
}

}  // namespace qv

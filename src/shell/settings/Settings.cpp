#include "shell/settings/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "data/text/NumberScan.h"
#include "shell/settings/Truncate.h"

namespace {

using qv::IniModel;

constexpr double kPi = 3.14159265358979323846;
constexpr int64_t kMiB = 1048576;
// A settings file is a few kilobytes; anything this large is not one.
constexpr std::uintmax_t kMaxSettingsFileBytes = 64u * 1024u * 1024u;
constexpr std::array<float, 9> kDefaultBox = {10, 0, 0, 0, 10, 0, 0, 0, 10};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// What a C-style number parser finds at the start of a text.
struct LeadingNumber {
  bool found = false;   // some prefix of the text is a number
  bool inRange = true;  // it fits a double and is finite
  double value = 0.0;
  size_t end = 0;       // one past the number's last character (0 when none was found)
};

// Decimal floating number after optional white space and sign; stops at the first
// character that does not fit. Independent of the process locale.
LeadingNumber ParseLeadingNumber(std::string_view s) {
  LeadingNumber r;
  size_t p = 0;
  while (p < s.size() && IsSpace(s[p])) ++p;
  size_t start = p;
  if (p < s.size() && s[p] == '+') {
    ++start;
    if (start < s.size() && s[start] == '-') return r;  // "+-1" is no number
  }
  double v = 0.0;
  const char* first = s.data() + start;
  const char* last = s.data() + s.size();
  const auto res = std::from_chars(first, last, v, std::chars_format::general);
  if (res.ec == std::errc::invalid_argument) return r;
  r.found = true;
  r.end = static_cast<size_t>(res.ptr - s.data());
  if (res.ec == std::errc::result_out_of_range || !std::isfinite(v)) {
    r.inRange = false;
    return r;
  }
  r.value = v;
  return r;
}

// A profile integer: optional white space and sign, then decimal digits up to the first
// other character. No digits gives 0; values beyond 32 bits are clamped.
int ParseProfileInt(std::string_view s, bool* hadDigits = nullptr) {
  size_t p = 0;
  while (p < s.size() && IsSpace(s[p])) ++p;  // the profile's wider set of white space
  int v = 0;
  const bool digits = qv::scan::Int(s.data() + p, s.data() + s.size(), v) != nullptr;
  if (hadDigits) *hadDigits = digits;
  return digits ? v : 0;
}

// int keys: a missing key or an empty value keeps the default handed in.
int ReadInt(const IniModel& m, const char* section, const char* key, int dflt) {
  const std::string* v = m.Find(section, key);
  if (!v || v->empty()) return dflt;
  return ParseProfileInt(*v);
}

// real keys: read with the default text "S"; text beginning with 'S' keeps the current
// value, text without a number gives 0. A number too large for a double (or "inf",
// "nan") keeps the current value too: nothing downstream can use it.
double ReadReal(const IniModel& m, const char* section, const char* key, double current) {
  const std::string* v = m.Find(section, key);
  const std::string_view text = v ? std::string_view(*v) : std::string_view("S");
  if (!text.empty() && text.front() == 'S') return current;
  const LeadingNumber n = ParseLeadingNumber(text);
  if (!n.found) return 0.0;
  if (!n.inRange) return current;
  return n.value;
}

std::string ReadText(const IniModel& m, const char* section, const char* key,
                     const char* dflt) {
  const std::string* v = m.Find(section, key);
  return v ? *v : std::string(dflt);
}

// Cuts the text at runs of the delimiters and parses the pieces into the slots in order.
// A piece without a number gives 0; a piece whose number does not fit a float leaves its
// slot as it was. Pieces beyond the slots are ignored.
void ParseList(std::string_view text, std::string_view delimiters, float* slots, size_t n) {
  size_t slot = 0;
  size_t p = 0;
  while (slot < n) {
    p = text.find_first_not_of(delimiters, p);
    if (p == std::string_view::npos) break;
    size_t e = text.find_first_of(delimiters, p);
    if (e == std::string_view::npos) e = text.size();
    const LeadingNumber num = ParseLeadingNumber(text.substr(p, e - p));
    if (!num.found) {
      slots[slot] = 0.0f;
    } else if (num.inRange && std::fabs(num.value) <= std::numeric_limits<float>::max()) {
      slots[slot] = static_cast<float>(num.value);
    }
    ++slot;
    p = e;
  }
}

constexpr std::string_view kListDelimiters = " ,\t";
constexpr std::string_view kBoxDelimiters = " ,\t\r\n";

// Colour lists: four slots that start at 0, so values not given stay 0.
std::array<float, 4> ReadColorList(const IniModel& m, const char* section, const char* key,
                                   const char* dflt) {
  std::array<float, 4> c = {0, 0, 0, 0};
  const std::string* v = m.Find(section, key);
  ParseList(v ? std::string_view(*v) : std::string_view(dflt), kListDelimiters, c.data(), 4);
  return c;
}

struct Rule {
  const char* section;
  const char* key;
  void (*apply)(const IniModel&, Settings&);
  // For LARGE keys whose missing value is the VISUAL value just read: that VISUAL key.
  const char* followsVisual = nullptr;
};

#define QV_INT(sec, key, field) \
  Rule { sec, key, [](const IniModel& m, Settings& s) { s.field = ReadInt(m, sec, key, s.field); } }
#define QV_REAL(sec, key, field) \
  Rule { sec, key, [](const IniModel& m, Settings& s) { s.field = ReadReal(m, sec, key, s.field); } }
#define QV_LARGE_INT(key, field)                                                            \
  Rule {                                                                                    \
    "LARGE", key,                                                                           \
        [](const IniModel& m, Settings& s) {                                                \
          s.large.field = ReadInt(m, "LARGE", key, s.visual.field);                          \
        },                                                                                  \
        key                                                                                 \
  }

// Every key in reading order. The ATOM section comes after all of them.
const Rule kRules[] = {
    QV_INT("GPUDriver", "DirectX11", directX11),
    QV_INT("GPUDriver", "Vsync", vsync),
    Rule{"GPUDriver", "VRAM",
         [](const IniModel& m, Settings& s) {
           const int mib = ReadInt(m, "GPUDriver", "VRAM", static_cast<int>(s.vramBytes / kMiB));
           s.vramBytes = static_cast<int64_t>(mib) * kMiB;
         }},
    Rule{"GPUDriver", "ColorFormat",
         [](const IniModel& m, Settings& s) {
           s.colorFormat = ReadText(m, "GPUDriver", "ColorFormat", "R8G8B8A8_UNORM");
         }},
    QV_INT("TEST", "OrientationSensor", orientationSensor),
    QV_INT("TEST", "RenderingFilter", renderingFilter),
    QV_INT("WINDOW", "Width", width),
    QV_INT("WINDOW", "Height", height),
    QV_INT("WINDOW", "Multiview", multiview),
    Rule{"WINDOW", "Language",
         [](const IniModel& m, Settings& s) { s.language = ReadText(m, "WINDOW", "Language", "ja"); }},
    QV_REAL("EPS", "AtomSize", epsAtomSize),
    QV_REAL("EPS", "BondSize", epsBondSize),
    QV_REAL("EPS", "BoxLineSize", epsBoxLineSize),
    QV_INT("VISUAL", "Atom", visual.atom),
    QV_INT("VISUAL", "AtomPoly", visual.atomPoly),
    QV_INT("VISUAL", "AtomColor", visual.atomColor),
    QV_REAL("VISUAL", "AtomRadius", visual.atomRadius),
    Rule{"VISUAL", "AtomTrajectory",
         [](const IniModel& m, Settings& s) {
           s.atomTrajectory = qv::TruncateToInt(ReadReal(m, "VISUAL", "AtomTrajectory", s.atomTrajectory));
         }},
    QV_INT("VISUAL", "Bond", visual.bond),
    QV_INT("VISUAL", "BondPoly", visual.bondPoly),
    QV_REAL("VISUAL", "BondCutoff", bondCutoff),
    QV_INT("VISUAL", "HistoryFrame", historyFrame),
    QV_REAL("VISUAL", "TrajectoryWidth", trajectoryWidth),
    Rule{"VISUAL", "TrajectoryColor",
         [](const IniModel& m, Settings& s) {
           s.trajectoryColor = ReadColorList(m, "VISUAL", "TrajectoryColor", "1.0,1.0,1.0");
         }},
    QV_INT("VISUAL", "TrajectoryZReverse", trajectoryZReverse),
    QV_INT("VISUAL", "Box", visual.box),
    Rule{"VISUAL", "BGColor",
         [](const IniModel& m, Settings& s) {
           s.visual.bgColor = ReadColorList(m, "VISUAL", "BGColor", "0.0,0.0,0.0");
         }},
    QV_INT("VISUAL", "Projection", projection),
    QV_REAL("VISUAL", "MaxPressure", maxPressure),
    QV_REAL("VISUAL", "ColorHeightCenter", colorHeightCenter),
    QV_REAL("VISUAL", "ColorHeightRange", colorHeightRange),
    // Every LARGE display value falls back to its VISUAL counterpart (Box and BGColor too),
    // so a file without a LARGE section shows large systems exactly like small ones.
    QV_LARGE_INT("Box", box),
    QV_INT("LARGE", "Threshold", largeThreshold),
    QV_LARGE_INT("Atom", atom),
    QV_LARGE_INT("AtomPoly", atomPoly),
    QV_LARGE_INT("AtomColor", atomColor),
    Rule{"LARGE", "AtomRadius",
         [](const IniModel& m, Settings& s) {
           s.large.atomRadius = ReadReal(m, "LARGE", "AtomRadius", s.visual.atomRadius);
         },
         "AtomRadius"},
    QV_LARGE_INT("Bond", bond),
    QV_LARGE_INT("BondPoly", bondPoly),
    Rule{"LARGE", "BGColor",
         [](const IniModel& m, Settings& s) {
           if (m.Find("LARGE", "BGColor")) {
             s.large.bgColor = ReadColorList(m, "LARGE", "BGColor", "0.0,0.0,0.0");
           } else {
             s.large.bgColor = s.visual.bgColor;
           }
         },
         "BGColor"},
    Rule{"BASIC", "Periodic",
         [](const IniModel& m, Settings& s) { s.periodic = ReadInt(m, "BASIC", "Periodic", 3); }},
    Rule{"BASIC", "ViewAngle",
         [](const IniModel& m, Settings& s) {
           s.viewAngleDegrees = ReadReal(m, "BASIC", "ViewAngle", s.viewAngleDegrees);
           s.viewAngleRadians = s.viewAngleDegrees * kPi / 180.0;
         }},
    // Fewer than nine numbers keep the default box's values for the missing ones.
    Rule{"BASIC", "DefaultBox",
         [](const IniModel& m, Settings& s) {
           std::array<float, 9> box = kDefaultBox;
           const std::string* v = m.Find("BASIC", "DefaultBox");
           if (v) ParseList(*v, kBoxDelimiters, box.data(), box.size());
           s.defaultBox = box;
         }},
    QV_INT("OUTPUT", "LargeBmpMagnify", largeBmpMagnify),
    QV_INT("OUTPUT", "DefaultBmpMagnify", defaultBmpMagnify),
    Rule{"OUTPUT", "DefaultPath",
         [](const IniModel& m, Settings& s) { s.defaultPath = ReadText(m, "OUTPUT", "DefaultPath", ""); }},
    QV_REAL("OUTPUT", "RotationAngleDelta", rotationAngleDelta),
    QV_REAL("OUTPUT", "STLGridWidth", stlGridWidth),
    QV_INT("OUTPUT", "STLGridCutoffEdgeZ", stlGridCutoffEdgeZ),
    QV_REAL("OUTPUT", "STLScale", stlScale),
    QV_INT("OUTPUT", "STLAtomPoly", stlAtomPoly),
    QV_REAL("OUTPUT", "AtomRadius", stlAtomRadius),
    Rule{"LAMMPS", "TypeElements",
         [](const IniModel& m, Settings& s) {
           s.lammpsTypeElements = ReadText(m, "LAMMPS", "TypeElements", "");
         }},
};

#undef QV_INT
#undef QV_REAL
#undef QV_LARGE_INT

// A colour fraction as a table byte: ×255, truncated, low 8 bits. False when the product
// has no 32-bit integer value; the line is then ignored.
bool ColorByte(double fraction, uint8_t& out) {
  const double x = fraction * 255.0;
  if (!(x > -2147483649.0 && x < 2147483648.0)) return false;
  out = static_cast<uint8_t>(static_cast<int64_t>(x) & 0xFF);
  return true;
}

// One line of the ATOM section: "Color=" symbol or "ColorNBond=" n, then four numbers,
// each parsed from one character after the end of the previous one. Missing numbers are 0.
// Returns whether the line changed a table entry.
bool ApplyAtomLine(std::string_view line, qv::ColorTables& tables) {
  constexpr std::string_view kColor = "Color=";
  constexpr std::string_view kNBond = "ColorNBond=";
  bool nbond = false;
  std::string_view rest;
  if (line.substr(0, kNBond.size()) == kNBond) {
    nbond = true;
    rest = line.substr(kNBond.size());
  } else if (line.substr(0, kColor.size()) == kColor) {
    rest = line.substr(kColor.size());
  } else {
    return false;
  }
  const size_t comma = rest.find(',');
  if (comma == std::string_view::npos) return false;
  const std::string_view name = rest.substr(0, comma);

  qv::Rgba* target = nullptr;
  if (nbond) {
    bool digits = false;
    const int n = ParseProfileInt(name, &digits);
    if (!digits || n < 0 || n >= qv::kBondCountColorCount) return false;
    target = &tables.bondCount[n];
  } else {
    const int z = qv::AtomicNumberOf(name);
    if (z < 0) return false;
    target = &tables.element[z];
  }

  uint8_t bytes[4] = {0, 0, 0, 0};
  size_t p = comma + 1;
  for (uint8_t& b : bytes) {
    if (p > rest.size()) break;
    const LeadingNumber num = ParseLeadingNumber(rest.substr(p));
    if (num.found && !num.inRange) return false;
    if (num.found && !ColorByte(num.value, b)) return false;
    p += (num.found ? num.end : 0) + 1;
  }
  *target = qv::Rgba{bytes[0], bytes[1], bytes[2], bytes[3]};
  return true;
}

void ApplyModel(Settings& s) {
  for (const Rule& r : kRules) r.apply(s.ini, s);
  for (const qv::IniLine* line : s.ini.SectionLines("ATOM")) ApplyAtomLine(line->text, s.colors);
}

std::string_view TrimBlank(std::string_view v) {
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
  return v;
}

}  // namespace

void ReadSettingsText(std::string_view text, Settings& settings) {
  settings.ini = IniModel::Parse(text);
  ApplyModel(settings);
}

void ReadSettings(const std::string& path, Settings& settings) {
  std::string text;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxSettingsFileBytes) {
    std::fprintf(stderr, "warning: %s is too large to be a settings file; defaults apply\n",
                 path.c_str());
  } else if (!ec) {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      text.resize(static_cast<size_t>(size));
      in.read(text.data(), static_cast<std::streamsize>(text.size()));
      text.resize(static_cast<size_t>(in.gcount()));
    }
  }
  ReadSettingsText(text, settings);
}

bool ApplySettingOverride(const std::string& assignment, Settings& settings) {
  const size_t colon = assignment.find(':');
  if (colon == std::string::npos) return false;
  const size_t eq = assignment.find('=', colon + 1);
  if (eq == std::string::npos) return false;
  const std::string_view all(assignment);
  const std::string_view section = TrimBlank(all.substr(0, colon));
  const std::string_view key = TrimBlank(all.substr(colon + 1, eq - colon - 1));
  if (section.empty() || key.empty()) return false;
  // The value is taken apart as the file's lines are (trimmed, enclosing quotes removed);
  // line breaks inside it stay, since "DefaultBox" splits at them.
  const std::string value =
      IniModel::ParseLine(std::string(key) + "=" + std::string(all.substr(eq + 1))).value;

  // A key the file would ignore is ignored here too, but said on the console: on a command
  // line it is most likely a typing error.
  if (qv::EqualsNoCase(section, "ATOM")) {
    settings.ini.Append("ATOM", key, value);
    if (!ApplyAtomLine(std::string(key) + "=" + value, settings.colors)) {
      std::fprintf(stderr, "warning: setting %s ignored\n", assignment.c_str());
    }
    return true;
  }
  settings.ini.Set(section, key, value);
  bool known = false;
  for (const Rule& r : kRules) {
    if (qv::EqualsNoCase(r.section, section) && qv::EqualsNoCase(r.key, key)) {
      r.apply(settings.ini, settings);
      known = true;
    }
  }
  if (qv::EqualsNoCase(section, "VISUAL")) {
    for (const Rule& r : kRules) {
      if (r.followsVisual && qv::EqualsNoCase(r.followsVisual, key)) r.apply(settings.ini, settings);
    }
  }
  if (!known) std::fprintf(stderr, "warning: unknown setting %s ignored\n", assignment.c_str());
  return true;
}

std::string SettingsFileLocation() {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  if (!ec) {
    const fs::path here = cwd / "setting.ini";
    if (fs::exists(here, ec)) return here.string();
  }
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !exe.has_parent_path()) return "setting.ini";
  return (exe.parent_path() / "setting.ini").string();
}

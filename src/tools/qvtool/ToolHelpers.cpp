#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "app/AfterLoad.h"
#include "app/CameraControl.h"
#include "tools/qvtool/QvTool.h"

namespace qvtool {

namespace {

// The loaders report progress on standard output, as the viewer's console shows it. For the
// batch tool standard output is the product (dump lines, JSON), so while it loads, whatever
// the loaders print goes to standard error instead.
class ConsoleToStderr {
 public:
  ConsoleToStderr() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    if (saved_ >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
  }
  ~ConsoleToStderr() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }
  ConsoleToStderr(const ConsoleToStderr&) = delete;
  ConsoleToStderr& operator=(const ConsoleToStderr&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace

bool Open(Quivane& app, const std::string& path) {
  const size_t before = app.dataSets.Size();
  {
    ConsoleToStderr quiet;
    app.OpenAndPrepare(path);
  }
  if (app.dataSets.Size() == before) {
    std::fprintf(stderr, "qvtool: nothing loaded from '%s'\n", path.c_str());
    return false;
  }
  return true;
}

int SetFrameAll(Quivane& app, int target) {
  ConsoleToStderr quiet;
  return app.SetFrameAll(target);
}

bool IntOption(const ParsedArgs& args, const std::string& name, int& out) {
  if (!args.Has(name)) return true;
  const std::string& v = args.Value(name);
  int parsed = 0;
  auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), parsed);
  if (ec != std::errc() || p != v.data() + v.size()) {
    std::fprintf(stderr, "qvtool: --%s needs an integer, got '%s'\n", name.c_str(), v.c_str());
    return false;
  }
  out = parsed;
  return true;
}

bool DoubleOption(const ParsedArgs& args, const std::string& name, double& out) {
  if (!args.Has(name)) return true;
  const std::string& v = args.Value(name);
  char* end = nullptr;
  errno = 0;
  double parsed = std::strtod(v.c_str(), &end);
  if (v.empty() || *end != '\0' || errno == ERANGE) {
    std::fprintf(stderr, "qvtool: --%s needs a number, got '%s'\n", name.c_str(), v.c_str());
    return false;
  }
  out = parsed;
  return true;
}

namespace {

// The files of the command and the viewer's refresh after a load (no menus or title here).
bool LoadFiles(Quivane& app, const ParsedArgs& args, size_t files) {
  if (!Open(app, args.positional.at(0))) return false;
  qv::cmd::AppCameraControl camera(app);
  qv::cmd::AfterLoad(app, camera, nullptr);
  for (size_t k = 1; k < files && k < args.positional.size(); ++k) {
    if (!Open(app, args.positional[k])) return false;
  }
  return true;
}

}  // namespace

bool LoadAndSelectFrame(Quivane& app, const ParsedArgs& args) {
  int frame = 0;
  if (!IntOption(args, "frame", frame)) return false;
  const std::string& path = args.positional.at(0);
  if (!args.preloaded && !LoadFiles(app, args, 1)) return false;
  if (frame < 0) {
    std::fprintf(stderr, "qvtool: --frame must not be negative\n");
    return false;
  }
  if (frame != app.currentFrame) app.currentFrame = SetFrameAll(app, frame);
  if (app.currentFrame != frame) {
    std::fprintf(stderr, "qvtool: '%s' has no frame %d (the last frame is %d)\n", path.c_str(),
                 frame, app.currentFrame);
    return false;
  }
  return true;
}

bool SizeOption(const ParsedArgs& args, int maxSide, int& width, int& height) {
  if (!args.Has("size")) return true;
  const std::string& text = args.Value("size");
  const size_t x = text.find_first_of("xX");
  int a = 0, b = 0;
  bool ok = x != std::string::npos;
  if (ok) {
    // Digits only on both sides: no sign, no spaces, nothing after the height.
    const char* s = text.data();
    const char* end = s + text.size();
    const auto r1 = std::from_chars(s, s + x, a);
    const auto r2 = std::from_chars(s + x + 1, end, b);
    ok = r1.ec == std::errc() && r1.ptr == s + x && r2.ec == std::errc() && r2.ptr == end &&
         x > 0 && std::isdigit(static_cast<unsigned char>(text[0])) &&
         std::isdigit(static_cast<unsigned char>(text[x + 1]));
  }
  if (!ok || a < 1 || a > maxSide || b < 1 || b > maxSide) {
    std::fprintf(stderr, "qvtool %s: --size needs WxH with each side 1..%d, got '%s'\n",
                 args.command.c_str(), maxSide, text.c_str());
    return false;
  }
  width = a;
  height = b;
  return true;
}

bool FrameSlice::NeedsCount() const {
  return step > 0 ? (!hasStop || stop < 0 || start < 0) : (!hasStart || start < 0 || stop < 0);
}

bool ParseFrameSlice(const std::string& text, FrameSlice& slice, std::string& why) {
  FrameSlice s;
  const size_t c1 = text.find(':');
  const size_t c2 = c1 == std::string::npos ? std::string::npos : text.find(':', c1 + 1);
  if (c1 == std::string::npos || (c2 != std::string::npos && text.find(':', c2 + 1) != std::string::npos)) {
    why = "--frames needs START:STOP or START:STOP:STEP, got '" + text + "'";
    return false;
  }
  const std::string parts[3] = {text.substr(0, c1),
                                c2 == std::string::npos ? text.substr(c1 + 1) : text.substr(c1 + 1, c2 - c1 - 1),
                                c2 == std::string::npos ? std::string() : text.substr(c2 + 1)};
  int64_t values[3] = {0, 0, 1};
  for (int k = 0; k < 3; ++k) {
    if (parts[k].empty()) continue;
    const char* b = parts[k].data();
    const char* e = b + parts[k].size();
    const auto [p, ec] = std::from_chars(b + (*b == '+' ? 1 : 0), e, values[k]);
    if (ec != std::errc() || p != e || values[k] < -(int64_t{1} << 40) || values[k] > (int64_t{1} << 40)) {
      why = "--frames: '" + parts[k] + "' in '" + text + "' is not a frame number";
      return false;
    }
  }
  if (values[2] == 0) {
    why = "--frames: the step must not be 0";
    return false;
  }
  s.hasStart = !parts[0].empty();
  s.hasStop = !parts[1].empty();
  s.start = values[0];
  s.stop = values[1];
  s.step = values[2];
  slice = s;
  return true;
}

std::vector<int> SliceIndices(const FrameSlice& s, int64_t count) {
  std::vector<int> out;
  if (count <= 0) return out;
  auto resolve = [&](bool given, int64_t v, int64_t fallback, int64_t lo, int64_t hi) {
    if (!given) return fallback;
    if (v < 0) v += count;
    return std::clamp(v, lo, hi);
  };
  if (s.step > 0) {
    const int64_t start = resolve(s.hasStart, s.start, 0, 0, count);
    const int64_t stop = resolve(s.hasStop, s.stop, count, 0, count);
    for (int64_t k = start; k < stop; k += s.step) out.push_back(static_cast<int>(k));
  } else {
    const int64_t start = resolve(s.hasStart, s.start, count - 1, -1, count - 1);
    const int64_t stop = resolve(s.hasStop, s.stop, -1, -1, count - 1);
    for (int64_t k = start; k > stop; k += s.step) out.push_back(static_cast<int>(k));
  }
  return out;
}

int RunOverFrames(Quivane& app, const ParsedArgs& args, int (*run)(Quivane&, const ParsedArgs&)) {
  FrameSlice slice;
  std::string why;
  if (!ParseFrameSlice(args.Value("frames"), slice, why)) {
    std::fprintf(stderr, "qvtool %s: %s\n", args.command.c_str(), why.c_str());
    return 2;
  }
  if (args.Has("frame")) {
    std::fprintf(stderr, "qvtool %s: --frame and --frames exclude each other\n", args.command.c_str());
    return 2;
  }
  if (args.command == "convert" && args.Flag("all")) {
    std::fprintf(stderr, "qvtool convert: --all writes one file of every frame; --frames goes with --to\n");
    return 2;
  }
  std::string probe;
  if (args.command == "render" && args.Has("o") && !FramePatternName(args.Value("o"), 0, probe)) {
    // One name for every frame would leave only the last picture.
    std::fprintf(stderr, "qvtool render: with --frames, -o needs one frame number conversion "
                         "such as out_%%04d.png, got '%s'\n", args.Value("o").c_str());
    return 2;
  }
  // render draws every file given; the other commands take one.
  if (!LoadFiles(app, args, args.command == "render" ? args.positional.size() : 1)) return 1;
  // Counting means stepping to the end (a large file is indexed as it goes): only when the
  // range counts from the end or runs to it.
  int64_t count = 0;
  if (slice.NeedsCount()) {
    count = int64_t{SetFrameAll(app, std::numeric_limits<int>::max())} + 1;
  } else {
    count = std::max(slice.start, slice.stop) + 1;  // stepping finds where the file ends
  }
  const std::vector<int> frames = SliceIndices(slice, count);
  ParsedArgs each = args;
  each.values.erase("frames");
  each.preloaded = true;
  each.ranged = true;
  int done = 0;
  for (int frame : frames) {
    const int reached = SetFrameAll(app, frame);
    if (reached != frame) {
      if (slice.NeedsCount()) {
        std::fprintf(stderr, "qvtool %s: frame %d of '%s' could not be read\n", args.command.c_str(), frame,
                     args.positional[0].c_str());
        return 1;
      }
      break;  // the range ran past the last frame: as a slice, it ends there
    }
    app.currentFrame = reached;
    each.values["frame"] = std::to_string(frame);
    if (const int status = run(app, each); status != 0) return status;
    ++done;
  }
  if (done == 0) {
    std::fprintf(stderr, "qvtool %s: --frames %s selects no frame of '%s'\n", args.command.c_str(),
                 args.Value("frames").c_str(), args.positional[0].c_str());
    return 1;
  }
  return 0;
}

bool FramePatternName(const std::string& pattern, int frame, std::string& out) {
  std::string result;
  int conversions = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') {
      result += pattern[i];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      result += '%';
      ++i;
      continue;
    }
    // Only %d with an optional 0 flag and width: nothing else may reach a formatter.
    size_t j = i + 1;
    const bool zero = j < pattern.size() && pattern[j] == '0';
    if (zero) ++j;
    int width = 0;
    while (j < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[j])) && width < 100)
      width = width * 10 + (pattern[j++] - '0');
    if (j >= pattern.size() || pattern[j] != 'd' || width >= 100 || ++conversions > 1) return false;
    std::string digits = std::to_string(frame);
    if (static_cast<int>(digits.size()) < width)
      digits.insert(0, static_cast<size_t>(width) - digits.size(), zero ? '0' : ' ');
    result += digits;
    i = j;
  }
  if (conversions != 1) return false;
  out = result;
  return true;
}

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace qvtool

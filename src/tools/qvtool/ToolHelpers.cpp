#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>

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

bool LoadAndSelectFrame(Quivane& app, const ParsedArgs& args) {
  int frame = 0;
  if (!IntOption(args, "frame", frame)) return false;
  const std::string& path = args.positional.at(0);
  if (!Open(app, path)) return false;
  // The viewer's refresh after a load (no menus or title here).
  qv::cmd::AppCameraControl camera(app);
  qv::cmd::AfterLoad(app, camera, nullptr);
  if (frame < 0) {
    std::fprintf(stderr, "qvtool: --frame must not be negative\n");
    return false;
  }
  if (frame != 0) app.currentFrame = SetFrameAll(app, frame);
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

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace qvtool

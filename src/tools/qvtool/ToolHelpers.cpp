#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

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
  // The viewer's refresh after a load.
  app.FitCameraToData();
  app.ApplyLargeDataCheck();
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

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace qvtool

#include <charconv>
#include <cstdio>
#include <string>

#include "app/EpsCommand.h"
#include "tools/qvtool/QvTool.h"

namespace {

// "WxH" with both sides in 1..100000.
bool ParseSize(const std::string& text, int& w, int& h) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int a = 0, b = 0;
  const char* s = text.data();
  const char* end = s + text.size();
  auto r1 = std::from_chars(s, s + x, a);
  auto r2 = std::from_chars(s + x + 1, end, b);
  if (r1.ec != std::errc() || r1.ptr != s + x || r2.ec != std::errc() || r2.ptr != end) {
    return false;
  }
  if (a < 1 || a > 100000 || b < 1 || b > 100000) return false;
  w = a;
  h = b;
  return true;
}

}  // namespace

int CmdEps(Quivane& app, const ParsedArgs& args) {
  int w = 640, h = 480;
  if (args.Has("size") && !ParseSize(args.Value("size"), w, h)) {
    std::fprintf(stderr, "qvtool eps: --size needs WxH with each side 1..100000, got '%s'\n",
                 args.Value("size").c_str());
    return 2;
  }
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  if (args.Flag("ortho")) app.options.values.projection = kOrthographic;
  app.drawWidth = w;
  app.drawHeight = h;

  std::string path;
  const int rc = WriteEpsCommand(app, &path);
  if (rc == kEpsNotApplicable) {
    std::fprintf(stderr, "qvtool eps: the first data set is not an atomistic trajectory\n");
    return 1;
  }
  if (rc != kEpsOk) {
    std::fprintf(stderr, "qvtool eps: cannot write '%s'\n", path.c_str());
    return 1;
  }
  std::printf("%s\n", path.c_str());
  return 0;
}

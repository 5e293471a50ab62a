#include <cstdio>
#include <string>

#include "app/EpsCommand.h"
#include "tools/qvtool/QvTool.h"

int CmdEps(Quivane& app, const ParsedArgs& args) {
  int w = 640, h = 480;
  if (!qvtool::SizeOption(args, 100000, w, h)) return 2;
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

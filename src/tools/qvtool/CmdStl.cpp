#include <cstdio>

#include "app/StlCommands.h"
#include "output/StlWriter.h"
#include "tools/qvtool/QvTool.h"

// qvtool stl FILE [--frame N] [--grid]: the viewer's STL commands, same file name.
int CmdStl(Quivane& app, const ParsedArgs& args) {
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  const bool grid = args.Flag("grid");
  std::string path;
  const int result = WriteStlCommand(app, grid, &path);
  if (result >= 0) {
    std::printf("%s\n", path.c_str());
    return 0;
  }
  switch (result) {
    case qv::kStlNoData:
      std::fprintf(stderr, "qvtool stl: the first data set is not an atomistic trajectory\n");
      break;
    case qv::kStlOpenFailed:
      std::fprintf(stderr, "qvtool stl: cannot open '%s' for writing\n", path.c_str());
      break;
    case qv::kStlWriteFailed:
      std::fprintf(stderr, "qvtool stl: writing '%s' failed\n", path.c_str());
      break;
    case qv::kStlBadParameter:
      std::fprintf(stderr,
                   "qvtool stl: OUTPUT settings out of range (AtomRadius, STLGridWidth and "
                   "STLScale must be positive numbers, STLAtomPoly at most %d)\n",
                   qv::kStlMaxAtomPoly);
      break;
    case qv::kStlTooLarge:
    default:
      std::fprintf(stderr,
                   "qvtool stl: the mesh is too large (at most %lld grid points, %d along one "
                   "axis, 2^32-1 triangles); raise STLGridWidth\n",
                   static_cast<long long>(qv::kStlMaxGridPoints), qv::kStlMaxGridAxis);
      break;
  }
  return 1;
}

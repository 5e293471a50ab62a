#include "analysis/ReportFile.h"

#include "data/Console.h"

namespace qv {

std::FILE* OpenReportFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) qv::ConsolePrint("error; open file\n");
  return f;
}

int CloseReportFile(std::FILE* f) {
  const bool failed = std::ferror(f) != 0;
  if (std::fclose(f) != 0 || failed) {
    qv::ConsolePrint("error; write file\n");
    return -2;
  }
  return 0;
}

}  // namespace qv

#include "analysis/ReportFile.h"

namespace qv {

std::FILE* OpenReportFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) std::printf("error; open file\n");
  return f;
}

int CloseReportFile(std::FILE* f) {
  const bool failed = std::ferror(f) != 0;
  if (std::fclose(f) != 0 || failed) {
    std::printf("error; write file\n");
    return -2;
  }
  return 0;
}

}  // namespace qv

#pragma once
// Text report files of the analysis commands. Failures are told on stdout in the words the
// commands have always used.
#include <cstdio>
#include <string>

namespace qv {

// The file opened for writing text; null (after saying so) when it cannot be created.
std::FILE* OpenReportFile(const std::string& path);
// Closes the file: 0, or -2 (after saying so) when anything could not be written.
int CloseReportFile(std::FILE* f);

}  // namespace qv

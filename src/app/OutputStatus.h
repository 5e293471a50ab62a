#pragma once
// What an output command tells its user: the file it wrote, or that it wrote nothing and why.
#include <string>
#include <utility>

namespace qv::cmd {

struct OutputResult {
  bool written = false;
  std::string path;    // the file written, or the one that could not be
  std::string reason;  // why nothing was written
  int count = -1;      // frames or lines a series wrote into its file; -1 when not a series
};

inline OutputResult Wrote(const std::string& path) {
  OutputResult r;
  r.written = true;
  r.path = path;
  return r;
}

inline OutputResult NotWritten(const std::string& path, std::string reason) {
  OutputResult r;
  r.path = path;
  r.reason = std::move(reason);
  return r;
}

// Why `path` could not be created, asked of the file system after the writer failed: a
// missing folder, a folder of that name, the system's own reason.
std::string WhyNotWritten(const std::string& path);

// "EPS image output: wrote /d/run12.eps" or "EPS image output failed: /d/run12.eps: ...".
std::string OutputStatusText(const std::string& caption, const OutputResult& r);

}  // namespace qv::cmd

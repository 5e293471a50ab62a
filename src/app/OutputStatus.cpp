#include "app/OutputStatus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qv::cmd {

std::string WhyNotWritten(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path p(path);
  const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  if (!fs::exists(dir, ec)) return "the folder " + dir.string() + " does not exist";
  if (!fs::is_directory(dir, ec)) return dir.string() + " is not a folder";
  if (fs::is_directory(p, ec)) return "a folder of that name is in the way";
  // Ask the system the writer asked; appending changes nothing in a file that exists.
  const bool existed = fs::exists(p, ec);
  errno = 0;
  if (std::FILE* f = std::fopen(path.c_str(), "ab")) {
    std::fclose(f);
    if (!existed) fs::remove(p, ec);
    return "it could not be written";
  }
  const int err = errno;
  return err != 0 ? std::strerror(err) : "it could not be created";
}

std::string OutputStatusText(const std::string& caption, const OutputResult& r) {
  if (!r.written) {
    std::string text = caption + " failed: ";
    if (!r.path.empty()) text += r.path + ": ";
    return text + (r.reason.empty() ? "nothing was written" : r.reason);
  }
  std::string text = caption + ": wrote " + r.path;
  if (r.count >= 0) text += " (" + std::to_string(r.count) + (r.count == 1 ? " frame)" : " frames)");
  return text;
}

}  // namespace qv::cmd

#pragma once
// Small helpers shared by the tests: scratch folders and byte-level file building.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace qvtest {

// A fresh folder under the system temp dir, removed when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Appends little-endian values to a byte buffer.
class Bytes {
 public:
  template <class T>
  Bytes& Put(T v) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    data.insert(data.end(), b, b + sizeof(T));
    return *this;
  }
  Bytes& Zeros(size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
  }
  std::vector<unsigned char> data;
};

void WriteFile(const std::string& path, const std::vector<unsigned char>& bytes);
void WriteText(const std::string& path, const std::string& text);
std::vector<unsigned char> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
std::string TestFile(const std::string& relative);  // under tests/files

// Runs a shell command, returns its exit status and captures stdout (and stderr if asked).
int RunCommand(const std::string& command, std::string* output);

}  // namespace qvtest

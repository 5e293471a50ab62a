#pragma once
// The shader cache every renderer of the shader back end takes its shaders from: one entry
// per (file, entry point, profile) and, for vertex shaders, per input layout. A file that
// cannot be read or does not compile gives no shader; that renderer then draws nothing while
// the others draw. The header is free of GL.
#include <memory>
#include <string>
#include <vector>

namespace qvgl33 {

// Vertex element formats, numbered as the input layouts name them.
enum VertexFormat : int {
  kFloat4 = 2,   // four 32-bit floats
  kFloat3 = 6,   // three 32-bit floats
  kFloat2 = 16,  // two 32-bit floats
  kUnorm4 = 28,  // four 8-bit unsigned normalised
};

// One vertex input: the shader attribute of that name reads `format` at `offset` bytes into
// the vertex of buffer slot `slot`; slot 1 advances once per instance, slot 0 per vertex.
struct InputElement {
  std::string semantic;
  int format = kFloat3;
  int slot = 0;
  int offset = 0;
  bool operator==(const InputElement&) const = default;
};
using InputLayout = std::vector<InputElement>;

// Bytes of one element, and the vertex stride of a slot (the end of its last element).
int FormatBytes(int format);
int SlotStride(const InputLayout& layout, int slot);

// The directory the shaders are read from: "shaders" beside the program, or beside the
// folder above it (the build tree's tests and benchmarks live one level down).
std::string DefaultShaderDirectory();

class CommonShader {
 public:
  struct Entry {
    std::string path;
    std::string entry;
    std::string profile;  // "vs_4_0", "ps_4_0" or "gs_4_0"
    InputLayout layout;   // vertex shaders only
    int useCount = 0;
    unsigned shader = 0;  // the GL shader object
  };

  explicit CommonShader(std::string directory);
  ~CommonShader();  // needs the context current
  CommonShader(const CommonShader&) = delete;
  CommonShader& operator=(const CommonShader&) = delete;

  // The cached shader for the file in the directory, its use count raised; otherwise the
  // file is read and compiled into a new entry with use count 1. Null when the file cannot
  // be read or the driver rejects it (the reason goes to standard error once per file).
  const Entry* Get(const std::string& file, const std::string& entry, const std::string& profile,
                   const InputLayout& layout = {});

  const std::string& Directory() const { return directory_; }
  size_t Size() const { return entries_.size(); }
  const Entry& At(size_t i) const { return *entries_[i]; }
  // The use count of the entry, 0 when there is none.
  int UseCount(const std::string& file, const std::string& profile,
               const InputLayout& layout = {}) const;

 private:
  std::string directory_;
  std::vector<std::unique_ptr<Entry>> entries_;
  std::vector<std::string> failed_;  // paths already reported
};

}  // namespace qvgl33

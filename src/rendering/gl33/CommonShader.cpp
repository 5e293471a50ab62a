#include "rendering/gl33/CommonShader.h"

#include <epoxy/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qvgl33 {

int FormatBytes(int format) {
  switch (format) {
    case kFloat4: return 16;
    case kFloat3: return 12;
    case kFloat2: return 8;
    case kUnorm4: return 4;
    default: return 0;
  }
}

int SlotStride(const InputLayout& layout, int slot) {
  int stride = 0;
  for (const InputElement& e : layout)
    if (e.slot == slot) stride = std::max(stride, e.offset + FormatBytes(e.format));
  return stride;
}

std::string DefaultShaderDirectory() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "shaders";
  const std::filesystem::path beside = exe.parent_path() / "shaders";
  if (std::filesystem::is_directory(beside, ec)) return beside.string();
  const std::filesystem::path above = exe.parent_path().parent_path() / "shaders";
  if (std::filesystem::is_directory(above, ec)) return above.string();
  return beside.string();
}

CommonShader::CommonShader(std::string directory) : directory_(std::move(directory)) {}

CommonShader::~CommonShader() {
  for (const auto& e : entries_)
    if (e->shader) glDeleteShader(e->shader);
}

namespace {
GLenum StageOf(const std::string& profile) {
  if (profile.rfind("vs_", 0) == 0) return GL_VERTEX_SHADER;
  if (profile.rfind("ps_", 0) == 0) return GL_FRAGMENT_SHADER;
  if (profile.rfind("gs_", 0) == 0) return GL_GEOMETRY_SHADER;
  return 0;
}
bool IsVertex(const std::string& profile) { return StageOf(profile) == GL_VERTEX_SHADER; }
}  // namespace

int CommonShader::UseCount(const std::string& file, const std::string& profile,
                           const InputLayout& layout) const {
  const std::string path = directory_ + "/" + file;
  for (const auto& e : entries_) {
    if (e->path == path && e->profile == profile && (!IsVertex(profile) || e->layout == layout))
      return e->useCount;
  }
  return 0;
}

const CommonShader::Entry* CommonShader::Get(const std::string& file, const std::string& entry,
                                             const std::string& profile,
                                             const InputLayout& layout) {
  const std::string path = directory_ + "/" + file;
  const bool vertex = IsVertex(profile);
  for (const auto& e : entries_) {
    if (e->path == path && e->entry == entry && e->profile == profile &&
        (!vertex || e->layout == layout)) {
      ++e->useCount;
      return e.get();
    }
  }
  auto fail = [&](const std::string& why) -> const Entry* {
    if (std::find(failed_.begin(), failed_.end(), path) == failed_.end()) {
      std::fprintf(stderr, "shader %s: %s\n", path.c_str(), why.c_str());
      failed_.push_back(path);
    }
    return nullptr;
  };
  const GLenum stage = StageOf(profile);
  // GLSL has one entry point per source.
  if (stage == 0 || entry != "main") return fail("unknown profile or entry point");
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  const std::string source = text.str();
  if (source.empty()) return fail("is empty");

  const GLuint shader = glCreateShader(stage);
  const char* src = source.c_str();
  const GLint length = static_cast<GLint>(source.size());
  glShaderSource(shader, 1, &src, &length);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log);
    glDeleteShader(shader);
    return fail(std::string("does not compile: ") + log);
  }
  auto e = std::make_unique<Entry>();
  e->path = path;
  e->entry = entry;
  e->profile = profile;
  if (vertex) e->layout = layout;
  e->useCount = 1;
  e->shader = shader;
  entries_.push_back(std::move(e));
  return entries_.back().get();
}

}  // namespace qvgl33

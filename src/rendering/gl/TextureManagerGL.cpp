#include "rendering/gl/TextureManagerGL.h"

#include <epoxy/gl.h>
#include <stb_image.h>

#include "data/Console.h"

namespace qv::gl {

bool DecodeImage(const std::string& path, int& width, int& height, std::basic_string<uint8_t>& rgba,
                 std::string* why) {
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
  if (!pixels) {
    if (why) *why = stbi_failure_reason() ? stbi_failure_reason() : "unreadable";
    return false;
  }
  // Textures beyond what any GL implementation takes are refused rather than truncated.
  constexpr int kMaxSide = 16384;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) {
    stbi_image_free(pixels);
    if (why) *why = "image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels";
    return false;
  }
  width = w;
  height = h;
  rgba.assign(pixels, pixels + static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  stbi_image_free(pixels);
  return true;
}

}  // namespace qv::gl

uint32_t TextureManagerGL::Get(const std::string& path) {
  if (path.empty()) return 0;
  const auto found = textures_.find(path);
  if (found != textures_.end()) return found->second;
  int w = 0, h = 0;
  std::basic_string<uint8_t> rgba;
  std::string why;
  GLuint id = 0;
  if (qv::gl::DecodeImage(path, w, h, rgba, &why)) {
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    if (w <= maxSide && h <= maxSide) {
      glGenTextures(1, &id);
      glBindTexture(GL_TEXTURE_2D, id);
      glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
      glBindTexture(GL_TEXTURE_2D, 0);
    } else {
      why = "larger than this GL takes";
    }
  }
  if (id == 0) qv::ConsolePrint("warning: texture %s not loaded (%s)\n", path.c_str(), why.c_str());
  textures_.emplace(path, id);
  return id;
}

void TextureManagerGL::Release() {
  for (const auto& [path, id] : textures_) {
    if (id) {
      const GLuint name = id;
      glDeleteTextures(1, &name);
    }
  }
  textures_.clear();
}

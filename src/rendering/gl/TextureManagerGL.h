#pragma once
// Textures of polygon models by file path, decoded once and kept as GL textures. A file that
// does not decode is remembered as such, so it is tried once, and its material is drawn in
// its colour. GL-free header.
#include <cstdint>
#include <string>
#include <unordered_map>

class TextureManagerGL {
 public:
  TextureManagerGL() = default;
  TextureManagerGL(const TextureManagerGL&) = delete;
  TextureManagerGL& operator=(const TextureManagerGL&) = delete;

  // The texture of the file, or 0 when it cannot be loaded. Needs a current context.
  uint32_t Get(const std::string& path);
  // Deletes every texture; needs the context current.
  void Release();
  // Drops the names without GL calls (the context is gone, and its textures with it).
  void Forget() { textures_.clear(); }
  size_t Count() const { return textures_.size(); }

 private:
  std::unordered_map<std::string, uint32_t> textures_;
};

namespace qv::gl {
// Decodes an image file (BMP, PNG, TGA, JPEG and the other formats the image library reads)
// into RGBA8 rows, top row first. False, with `why` set, when it cannot.
bool DecodeImage(const std::string& path, int& width, int& height, std::basic_string<uint8_t>& rgba,
                 std::string* why);
}  // namespace qv::gl

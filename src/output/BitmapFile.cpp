#include "output/BitmapFile.h"

#include <cstring>

#include "data/Console.h"

namespace qv {

namespace {
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
}  // namespace

bool BgrImage::Representable(int64_t w, int64_t h) {
  if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX) return false;
  const int64_t stride = (3 * w + 3) & ~int64_t{3};
  return stride <= (int64_t{0xFFFFFFFF} - 54) / h;
}

bool BgrImage::Allocate(int w, int h) {
  if (!Representable(w, h)) return false;
  width = w;
  height = h;
  stride = Stride(w);
  pixels.assign(stride * static_cast<size_t>(h), 0);
  return true;
}

std::vector<uint8_t> BmpHeader(int width, int height) {
  std::vector<uint8_t> h(54, 0);
  const uint32_t imageSize = static_cast<uint32_t>(BgrImage::Stride(width) * height);
  Put16(h, 0, 0x4D42);
  Put32(h, 2, imageSize + 54);
  Put32(h, 10, 54);
  Put32(h, 14, 40);
  Put32(h, 18, static_cast<uint32_t>(width));
  Put32(h, 22, static_cast<uint32_t>(height));
  Put16(h, 26, 1);
  Put16(h, 28, 24);
  Put32(h, 34, imageSize);
  return h;
}

bool WriteBmp(FILE* f, const BgrImage& image) {
  const std::vector<uint8_t> header = BmpHeader(image.width, image.height);
  if (std::fwrite(header.data(), 1, header.size(), f) != header.size()) return false;
  return std::fwrite(image.pixels.data(), 1, image.pixels.size(), f) == image.pixels.size();
}

bool IsPngPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ext == ".png";
}

FILE* OpenBitmapFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) qv::ConsolePrint("bmpファイルの作成に失敗しました\n");
  return f;
}

bool WriteImageFile(FILE* f, const std::string& path, const BgrImage& image) {
  const bool ok = IsPngPath(path) ? WritePng(f, image) : WriteBmp(f, image);
  const bool closed = std::fclose(f) == 0;
  // A picture cut short (disk full, file-size limit) must not pass for one under its name.
  if (!(ok && closed)) std::remove(path.c_str());
  return ok && closed;
}

std::string BitmapBaseName(const std::string& dataPath, const std::string& defaultPath) {
  std::string text;
  if (!defaultPath.empty()) {
    text = defaultPath;
    if (text.back() != '/') text += '/';
    const size_t slash = dataPath.rfind('/');
    text += slash == std::string::npos ? dataPath : dataPath.substr(slash + 1);
  } else {
    text = dataPath;
  }
  const size_t dot = text.rfind('.');
  if (dot != std::string::npos) text.erase(dot);
  return text;
}

std::string BitmapFileName(const std::string& base, int number) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d.bmp", number);
  return base + buf;
}

std::string LargeBitmapFileName(const std::string& base, int magnify, int frame) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "_x%d_%d.bmp", magnify, frame);
  return base + buf;
}

}  // namespace qv

#pragma once
// 24-bit pictures in memory and on disk: uncompressed BMP (bottom-up rows, stride padded to
// 4 bytes) and PNG beside it. File names of the bitmap outputs.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace qv {

// Blue, green, red bytes; row 0 is the bottom row of the picture.
struct BgrImage {
  int width = 0;
  int height = 0;
  size_t stride = 0;
  std::vector<uint8_t> pixels;  // stride * height; row padding is zero

  // 3 * width rounded up to a multiple of 4.
  static size_t Stride(int width) { return (3 * static_cast<size_t>(width) + 3) & ~size_t{3}; }
  // Whether a BMP of this size fits the format's 32-bit sizes.
  static bool Representable(int64_t width, int64_t height);
  // Sizes and zeroes the pixels; false (nothing allocated) when the size is not positive or
  // not representable.
  bool Allocate(int w, int h);
  uint8_t* Row(int r) { return pixels.data() + stride * static_cast<size_t>(r); }
  const uint8_t* Row(int r) const { return pixels.data() + stride * static_cast<size_t>(r); }
};

// The 54-byte file and info header for an image of this size.
std::vector<uint8_t> BmpHeader(int width, int height);
// Header and rows to an open file; false on a write error.
bool WriteBmp(FILE* f, const BgrImage& image);
// An 8-bit RGB PNG (top row first, as PNG stores it); false on a write error.
bool WritePng(FILE* f, const BgrImage& image);
// Whether the path names a PNG file (extension ".png", any case).
bool IsPngPath(const std::string& path);

// Opens the output file as a byte stream; on failure prints the viewer's console message
// and returns null.
FILE* OpenBitmapFile(const std::string& path);
// Writes PNG or BMP by the path's extension to an opened file and closes it. On a write
// error the partial file is removed and the result is false.
bool WriteImageFile(FILE* f, const std::string& path, const BgrImage& image);

// Base of the bitmap names: "DefaultPath" (with '/' appended when missing) and the data
// file's name, or the data file's full path when "DefaultPath" is empty; then cut at the
// last '.'.
std::string BitmapBaseName(const std::string& dataPath, const std::string& defaultPath);
// base + the number zero-padded to four digits + ".bmp" ("run0007.bmp").
std::string BitmapFileName(const std::string& base, int number);
// base + "_x<magnify>_<frame>.bmp" ("run_x2_15.bmp").
std::string LargeBitmapFileName(const std::string& base, int magnify, int frame);

}  // namespace qv

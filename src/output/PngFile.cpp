// PNG writing through libpng, kept apart so its setjmp-based error handling stays local.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "output/BitmapFile.h"

namespace qv {

bool WritePng(FILE* f, const BgrImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  // Rows are converted one at a time; the buffer lives outside the jump's reach.
  std::vector<png_byte> row(3 * static_cast<size_t>(image.width));
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int r = image.height - 1; r >= 0; --r) {
    const uint8_t* src = image.Row(r);
    for (int x = 0; x < image.width; ++x) {
      row[3 * x] = src[3 * x + 2];
      row[3 * x + 1] = src[3 * x + 1];
      row[3 * x + 2] = src[3 * x];
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace qv

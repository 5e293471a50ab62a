#include "rendering/ViewLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

std::vector<ViewCell> LayoutViewCells(int count, int width, int height) {
  std::vector<ViewCell> cells;
  if (count <= 0 || width <= 0 || height <= 0) return cells;
  const int64_t w = width, h = height;
  const double fit = std::floor(std::sqrt(static_cast<double>(width) * count / height));
  const int nc = static_cast<int>(std::min<double>(count, fit + 1));
  const int nr = (count + nc - 1) / nc;
  cells.reserve(count);
  for (int k = 0; k < count; ++k) {
    const int i = k % nc;
    const int j = nr - 1 - k / nc;  // the first data sets go to the top row
    const int x0 = static_cast<int>(i * w / nc), x1 = static_cast<int>((i + 1) * w / nc);
    const int y0 = static_cast<int>(j * h / nr), y1 = static_cast<int>((j + 1) * h / nr);
    cells.push_back({k, x0, y0, x1 - x0, y1 - y0});
  }
  return cells;
}

std::vector<TileCell> ClipCellsToTile(const std::vector<ViewCell>& cells, int tileX, int tileY,
                                      int tileW, int tileH) {
  std::vector<TileCell> out;
  const int64_t tx1 = static_cast<int64_t>(tileX) + tileW;
  const int64_t ty1 = static_cast<int64_t>(tileY) + tileH;
  for (const ViewCell& c : cells) {
    const int64_t x0 = std::max<int64_t>(c.x, tileX);
    const int64_t x1 = std::min<int64_t>(static_cast<int64_t>(c.x) + c.w, tx1);
    const int64_t y0 = std::max<int64_t>(c.y, tileY);
    const int64_t y1 = std::min<int64_t>(static_cast<int64_t>(c.y) + c.h, ty1);
    if (x1 <= x0 || y1 <= y0) continue;
    TileCell t{};
    t.dataSet = c.dataSet;
    t.viewportX = static_cast<int>(x0 - tileX);
    t.viewportY = static_cast<int>(y0 - tileY);
    t.viewportW = static_cast<int>(x1 - x0);
    t.viewportH = static_cast<int>(y1 - y0);
    t.cellW = c.w;
    t.cellH = c.h;
    t.subX = static_cast<int>(x0 - c.x);
    t.subY = static_cast<int>(y0 - c.y);
    out.push_back(t);
  }
  return out;
}

#pragma once
// The side-by-side layout of several data sets in one picture, and its cells cut down to the
// tile of a larger image being rendered. Pure integer geometry shared by every back end.
#include <vector>

// Side-by-side views. Cells are in pixels of the region, y counted from the bottom.
struct ViewCell {
  int dataSet;
  int x, y, w, h;
};

// Cells for `count` data sets in a width x height region: columns
// min(count, floor(sqrt(width * count / height)) + 1), rows filled from the top in list
// order. Empty when count or the region is empty.
std::vector<ViewCell> LayoutViewCells(int count, int width, int height);

// A cell clipped to the tile of a larger image being rendered.
struct TileCell {
  int dataSet;
  // Viewport relative to the tile's own origin, y from the bottom.
  int viewportX, viewportY, viewportW, viewportH;
  // The projection to use: full image = the cell, sub-rectangle = (subX, subY, viewportW,
  // viewportH) inside it, y from the bottom.
  int cellW, cellH;
  int subX, subY;

  // For back ends counting y from the top.
  int SubYFromTop() const { return cellH - subY - viewportH; }
  int ViewportYFromTop(int tileHeight) const { return tileHeight - viewportY - viewportH; }
};

// Cells that intersect the tile (tileX, tileY, tileW, tileH), all in the cells' region
// coordinates (y from the bottom), each reduced to the intersection.
std::vector<TileCell> ClipCellsToTile(const std::vector<ViewCell>& cells, int tileX, int tileY,
                                      int tileW, int tileH);

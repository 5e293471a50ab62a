#pragma once
// Geometry of the auxiliary kinds that both back ends draw: the visible cells of a field
// frame as points at the cell centres, their size on screen, and scattering paths as tubes.
// Nothing here touches GL.
#include <cstddef>
#include <cstdint>

#include "data/PodVector.h"
#include "rendering/SceneGeometry.h"
#include "rendering/scene/ScenePlan.h"

struct FieldFrame;

namespace qv::geo {

struct FieldPoints {
  qv::PodVector<float> positions;  // x y z of each visible cell's centre
  qv::PodVector<uint32_t> colors;  // its colour word
  size_t count = 0;
  float spacing = 0;      // the shortest cell edge
  float centre[3] = {};   // the centre of the grid
};

// The cells of opacity above 0, in cell order (z fastest, then y, then x).
void FillFieldPoints(const FieldFrame& frame, FieldPoints& out);

// Pixels a length `spacing` at `centre` covers on a viewport `viewportHeight` pixels high,
// with column-major view and projection matrices (GL conventions); between 1 and 64.
float ProjectedPixels(float spacing, const float centre[3], const double view[16],
                      const double projection[16], int viewportHeight);

// Tubes of `sides` sides and the radius through the visible points of paths
// [firstPath, lastPath) of the item, each ring of a point facing the mean direction of its
// two segments; no end caps, triangles counter-clockwise from outside. A path with one
// visible point gives nothing. `firstIndex` is the item's index entry of firstPath's first
// point.
void FillTubeBatch(const qv::scene::PathsItem& item, int64_t firstPath, int64_t lastPath,
                   size_t firstIndex, int sides, float radius, uint32_t color, BatchArrays& out);

// Vertices and indices the tubes of the paths [firstPath, lastPath) take.
void TubeBatchSize(const qv::scene::PathsItem& item, int64_t firstPath, int64_t lastPath,
                   int sides, size_t& vertices, size_t& indices);

}  // namespace qv::geo

#pragma once
// Points of a size given in world units, on the fixed-function pipeline: the point size is
// attenuated by eye distance so that a point covers what a ball of that diameter would.
#include <cstddef>
#include <cstdint>

namespace qvgl {

// Draws count points (x y z every `stride` floats) in the colour words; blended and without
// depth writes when `translucent`, otherwise opaque and depth-tested. Points never shrink
// below one pixel.
void DrawSpritePoints(const float* xyz, size_t stride, const uint32_t* colors, size_t count,
                      float worldSize, bool translucent);

// Segments (x y z x y z each) with a colour word per end, unlit; width in units of the
// current line width.
void DrawSegments(const float* xyz, const uint32_t* colors, size_t segments, float width);

}  // namespace qvgl

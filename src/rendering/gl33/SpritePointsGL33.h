#pragma once
// Points of a size given in world units and line segments, each data set in its own buffers:
// the drawing of lattice occupancy, gridded points and particle trails in the shader back end.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/PodVector.h"
#include "rendering/gl33/BasicRendererGL33.h"

namespace qvgl33 {

class SpritePointsGL33 {
 public:
  explicit SpritePointsGL33(CommonShader& cache);
  bool Ready() const { return renderer_.Ready(); }
  // With `refill`, uploads count points (x y z every `stride` floats, one colour word each)
  // for the data set; then draws its points as squares covering worldSize at the depth of
  // `centre` (at least one pixel). Translucent points blend without writing depth.
  void Draw(size_t dataSet, bool refill, const float* xyz, size_t stride, const uint32_t* colors,
            size_t count, float worldSize, const float centre[3], bool translucent,
            const FrameMatrices& m);

 private:
  BasicRendererGL33 renderer_;
  qv::PodVector<uint32_t> staging_;
  std::vector<size_t> counts_;
};

class SegmentsGL33 {
 public:
  explicit SegmentsGL33(CommonShader& cache);
  bool Ready() const { return renderer_.Ready(); }
  // Segments as x y z x y z with a colour word per end; width in the picture's line widths.
  void Draw(size_t dataSet, bool refill, const float* xyz, const uint32_t* colors, size_t segments,
            float width, const FrameMatrices& m);

 private:
  BasicRendererGL33 renderer_;
  qv::PodVector<uint32_t> staging_;
  std::vector<size_t> counts_;
  float maxWidth_ = 1;
};

}  // namespace qvgl33

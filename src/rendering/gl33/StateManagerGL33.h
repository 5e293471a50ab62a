#pragma once
// The pipeline state every scene draw starts from: blending off with all channels written,
// depth test "less" with writes, no stencil, solid fill, back faces culled with
// counter-clockwise fronts, depth clamped instead of clipped at the near and far planes, no
// scissor, no multisampling, no line smoothing.
namespace qvgl33 {

class StateManagerGL33 {
 public:
  void Apply() const;
};

}  // namespace qvgl33

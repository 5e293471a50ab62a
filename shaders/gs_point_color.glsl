#version 330 core
// Each point becomes a square of uPointSize pixels facing the screen.
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;
in vec4 gColor[];
uniform vec2 uViewportSize;
uniform float uPointSize;
out vec4 vColor;
void main() {
  vec4 c = gl_in[0].gl_Position;
  if (c.w <= 0.0) return;
  vec2 extent = uPointSize / max(uViewportSize, vec2(1.0)) * c.w;
  const vec2 corners[4] = vec2[4](vec2(-1.0, -1.0), vec2(1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0));
  for (int k = 0; k < 4; ++k) {
    gl_Position = vec4(c.xy + corners[k] * extent, c.z, c.w);
    vColor = gColor[0];
    EmitVertex();
  }
  EndPrimitive();
}

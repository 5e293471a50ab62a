#version 330 core
// Each point leaves as a screen-facing square sprite of uPointSize pixels. The square is
// emitted as one sized point rather than as two triangles: on a software rasteriser that is a
// quarter of the geometry work for the same pixels.
layout(points) in;
layout(points, max_vertices = 1) out;
in vec4 gColor[];
uniform float uPointSize;
out vec4 vColor;
void main() {
  if (gl_in[0].gl_Position.w <= 0.0) return;
  gl_Position = gl_in[0].gl_Position;
  gl_PointSize = uPointSize;
  vColor = gColor[0];
  EmitVertex();
  EndPrimitive();
}

#version 330 core
// Points handed to the geometry shader in clip space.
in vec3 POSITION;
in vec4 COLOR;
uniform mat4 uView;
uniform mat4 uProjection;
out vec4 gColor;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION, 1.0));
  gColor = COLOR;
}

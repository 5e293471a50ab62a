#version 330 core
// Lines with a colour per vertex, straight to the pixel shader.
in vec3 POSITION;
in vec4 COLOR;
uniform mat4 uView;
uniform mat4 uProjection;
out vec4 vColor;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION, 1.0));
  vColor = COLOR;
}

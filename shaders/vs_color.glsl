#version 330 core
// Geometry expanded on the CPU with a colour per vertex (bond cylinders, strips).
in vec3 POSITION;
in vec3 NORMAL;
in vec4 COLOR;
uniform mat4 uView;
uniform mat4 uProjection;
out vec4 vColor;
out vec3 vNormal;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION, 1.0));
  vNormal = mat3(uView) * NORMAL;
  vColor = COLOR;
}

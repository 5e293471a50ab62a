#version 330 core
// Polygon models: position, normal and texture coordinate per vertex, lit in eye space.
in vec3 POSITION;
in vec3 NORMAL;
in vec2 TEXCOORD;
uniform mat4 uView;
uniform mat4 uProjection;
out vec3 vNormal;
out vec2 vTexCoord;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION, 1.0));
  vNormal = mat3(uView) * NORMAL;
  vTexCoord = TEXCOORD;
}

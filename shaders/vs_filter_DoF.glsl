#version 330 core
// A full-screen quad for the depth-of-field pass.
in vec3 POSITION;
in vec2 TEX;
out vec2 vTex;
void main() {
  gl_Position = vec4(POSITION, 1.0);
  vTex = TEX;
}

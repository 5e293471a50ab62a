#version 330 core
// One mesh instance per atom: the mesh is placed at the instance position and takes the
// instance colour.
in vec3 POSITION;
in vec3 NORMAL;
in vec3 INS_POS;
in vec4 INS_COLOR;
uniform mat4 uView;
uniform mat4 uProjection;
out vec4 vColor;
out vec3 vNormal;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION + INS_POS, 1.0));
  vNormal = mat3(uView) * NORMAL;
  vColor = INS_COLOR;
}

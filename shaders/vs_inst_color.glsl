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
uniform vec3 uLightDirection;
// The fixed-function back end's light, per vertex as it lights: a directional light straight
// up in eye space, ambient 0.4 on a scene ambient of 0.2, diffuse 1, no specular; the
// surface colour is both ambient and diffuse reflectance.
vec4 Lit(vec4 color, vec3 normal) {
  float len = length(normal);
  float diffuse = len > 0.0 ? max(dot(normal / len, uLightDirection), 0.0) : 0.0;
  return vec4(min(color.rgb * (0.6 + diffuse), vec3(1.0)), color.a);
}
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION + INS_POS, 1.0));
  vColor = Lit(INS_COLOR, mat3(uView) * NORMAL);
}

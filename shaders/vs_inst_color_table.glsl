#version 330 core
// One mesh instance per position, coloured by its height: low maps to the first table entry,
// low + span to the last, linear between neighbouring entries, clamped outside.
in vec3 POSITION;
in vec3 NORMAL;
in vec4 INS_POS;
uniform mat4 uView;
uniform mat4 uProjection;
uniform float uLow;
uniform float uSpan;
uniform float uIntervals;
uniform vec4 uTable[9];
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
  gl_Position = uProjection * (uView * vec4(POSITION + INS_POS.xyz, 1.0));
  float t = uSpan > 0.0 ? clamp((INS_POS.z - uLow) / uSpan, 0.0, 1.0) * uIntervals : 0.0;
  int i = int(min(floor(t), uIntervals - 1.0));
  i = clamp(i, 0, 7);
  vColor = Lit(mix(uTable[i], uTable[i + 1], clamp(t - float(i), 0.0, 1.0)), mat3(uView) * NORMAL);
}

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
out vec3 vNormal;
void main() {
  gl_Position = uProjection * (uView * vec4(POSITION + INS_POS.xyz, 1.0));
  vNormal = mat3(uView) * NORMAL;
  float t = uSpan > 0.0 ? clamp((INS_POS.z - uLow) / uSpan, 0.0, 1.0) * uIntervals : 0.0;
  int i = int(min(floor(t), uIntervals - 1.0));
  i = clamp(i, 0, 7);
  vColor = mix(uTable[i], uTable[i + 1], clamp(t - float(i), 0.0, 1.0));
}

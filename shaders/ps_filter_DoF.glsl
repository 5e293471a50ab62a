#version 330 core
// Depth of field: pixels away from the focal depth (the camera target's) are averaged over a
// disc that grows with their distance from it, up to uMaxRadius pixels.
in vec2 vTex;
uniform sampler2D uColor;
uniform sampler2D uDepth;
uniform vec2 uTexel;
uniform float uFocus;     // eye distance in focus
uniform float uNear;
uniform float uFar;
uniform int uPerspective;
uniform float uMaxRadius;
out vec4 fragColor;

float EyeDepth(float d) {
  if (uPerspective == 1) return uNear * uFar / (uFar - d * (uFar - uNear));
  return uNear + d * (uFar - uNear);
}

void main() {
  float depth = texture(uDepth, vTex).r;
  float blur = depth >= 1.0 ? 1.0 : clamp(abs(EyeDepth(depth) - uFocus) / max(uFocus, 1e-6), 0.0, 1.0);
  float radius = blur * uMaxRadius;
  vec4 sum = texture(uColor, vTex);
  float weight = 1.0;
  if (radius >= 0.5) {
    for (int ring = 1; ring <= 2; ++ring) {
      float r = radius * float(ring) / 2.0;
      for (int k = 0; k < 8; ++k) {
        float a = 0.785398 * float(k) + 0.3927 * float(ring);
        sum += texture(uColor, vTex + uTexel * r * vec2(cos(a), sin(a)));
        weight += 1.0;
      }
    }
  }
  fragColor = sum / weight;
}

#version 330 core
// The fixed-function back end's light: a directional light straight up in eye space, ambient
// 0.4 on a scene ambient of 0.2, diffuse 1, no specular; the surface colour is both ambient
// and diffuse reflectance.
in vec4 vColor;
in vec3 vNormal;
uniform vec3 uLightDirection;
out vec4 fragColor;
void main() {
  float len = length(vNormal);
  float diffuse = len > 0.0 ? max(dot(vNormal / len, uLightDirection), 0.0) : 0.0;
  fragColor = vec4(min(vColor.rgb * (0.6 + diffuse), vec3(1.0)), vColor.a);
}

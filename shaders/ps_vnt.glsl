#version 330 core
// The material colour, or the texture's, lit from above and in front of the eye on both
// sides of the surface, as the fixed-function back end lights models.
in vec3 vNormal;
in vec2 vTexCoord;
uniform vec4 uDiffuse;
uniform int uTextured;
uniform sampler2D uTexture;
uniform vec3 uLightDirection;
out vec4 fragColor;
void main() {
  vec4 color = uTextured != 0 ? vec4(texture(uTexture, vTexCoord).rgb, uDiffuse.a) : uDiffuse;
  float len = length(vNormal);
  vec3 n = len > 0.0 ? vNormal / len : vec3(0.0);
  if (!gl_FrontFacing) n = -n;
  float diffuse = max(dot(n, uLightDirection), 0.0);
  fragColor = vec4(min(color.rgb * (0.4 + diffuse), vec3(1.0)), color.a);
}

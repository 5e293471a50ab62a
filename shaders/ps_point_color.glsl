#version 330 core
// Unlit colour.
in vec4 vColor;
out vec4 fragColor;
void main() { fragColor = vColor; }

#version 330 core
// The lit colour the vertex shader computed, interpolated over the triangle.
in vec4 vColor;
out vec4 fragColor;
void main() { fragColor = vColor; }

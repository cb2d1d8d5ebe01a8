#version 330 core
// The guides' flat colours; the grid fades out toward its edge.

// Lines on each side of the unit grid's centre.
uniform float halfLines;

in vec4 lineColor;
in vec2 gridPosition;

out vec4 color;

void main() {
    float fade = 1.0 - smoothstep(0.55, 1.0, length(gridPosition) / halfLines);
    color = vec4(lineColor.rgb, lineColor.a * fade);
}

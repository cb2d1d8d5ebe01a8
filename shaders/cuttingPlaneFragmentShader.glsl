#version 330 core
// The cutting plane patch: translucent so the cut mesh shows through.

uniform float opacity;
// What is drawn: 0 edges, 1 points, 2 faces.
uniform int primitiveKind;

in vec3 viewPosition;

out vec4 color;

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    color = vec4(1.0, 0.9, 0.2, 0.45 * opacity);
}

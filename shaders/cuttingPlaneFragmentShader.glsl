#version 330 core
// The cutting plane patch: translucent so the cut mesh shows through.

uniform float opacity;

in vec3 viewPosition;
in vec3 baseColor;
flat in int primitiveKind;

out vec4 color;

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    color = vec4(1.0, 0.9, 0.2, 0.45 * opacity);
}

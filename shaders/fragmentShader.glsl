#version 330 core
// Ordinary points, wireframe and faces.

uniform float opacity;

in vec3 clipPosition;
in vec3 baseColor;
flat in int primitiveKind;

out vec4 color;

// 1 for a face seen head-on, darker as it turns away from the viewer.
float facing() {
    vec3 normal = normalize(cross(dFdx(clipPosition), dFdy(clipPosition)));
    return abs(normal.z);
}

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    float light = primitiveKind == 2 ? 0.35 + 0.65 * facing() : 1.0;
    color = vec4(baseColor * light, opacity);
}

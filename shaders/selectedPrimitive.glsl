#version 330 core
// Selected points, edges and faces, and the tools' own geometry.

uniform float opacity;
// What is drawn: 0 edges, 1 points, 2 faces.
uniform int primitiveKind;

in vec3 viewPosition;

out vec4 color;

float facing() {
    vec3 normal = normalize(cross(dFdx(viewPosition), dFdy(viewPosition)));
    return abs(normal.z);
}

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    // Faces keep a little shading so a selected box still shows its shape; their back is darker.
    float light = primitiveKind == 2 ? 0.6 + 0.4 * facing() : 1.0;
    float side = primitiveKind == 2 && !gl_FrontFacing ? 0.7 : 1.0;
    color = vec4(vec3(1.0, 0.55, 0.1) * light * side, opacity);
}

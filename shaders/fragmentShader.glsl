#version 330 core
// Ordinary points, wireframe and faces. Faces are lit by a light at the camera: full where they
// face it, darker as they turn away; a face seen from behind takes a warm tint, so a mesh that
// faces inward shows it.

uniform float opacity;
// What is drawn: 0 edges, 1 points, 2 faces.
uniform int primitiveKind;

in vec3 viewPosition;

out vec4 color;

// 1 for a face seen head-on, 0 edge-on: the light shines along the view.
float facing() {
    vec3 normal = normalize(cross(dFdx(viewPosition), dFdy(viewPosition)));
    return abs(normal.z);
}

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    if (primitiveKind != 2) {
        color = vec4(primitiveKind == 1 ? vec3(1.0) : vec3(0.82, 0.84, 0.86), opacity);
        return;
    }
    vec3 surface = gl_FrontFacing ? vec3(0.42, 0.50, 0.62) : vec3(0.62, 0.36, 0.40);
    color = vec4(surface * (0.25 + 0.75 * facing()), opacity);
}

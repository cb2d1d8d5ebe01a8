#version 330 core
// Ordinary points, wireframe and faces, and normal lines. Faces are lit by a light at the camera:
// full where they face it, darker as they turn away; a face seen from behind takes a warm tint,
// so a mesh that faces inward shows it. With face orientation on, fronts are blue and backs red.

uniform float opacity;
// What is drawn: 0 edges, 1 points, 2 faces, 3 normal lines, 4 creased edges.
uniform int primitiveKind;
uniform bool faceOrientation;

in vec3 viewPosition;
#ifdef SMOOTH_SHADING
in vec3 viewNormal;
#endif

out vec4 color;

// 1 for a face seen head-on, 0 edge-on: the light shines along the view.
float facing() {
#ifdef SMOOTH_SHADING
    vec3 normal = normalize(viewNormal);
#else
    vec3 normal = normalize(cross(dFdx(viewPosition), dFdy(viewPosition)));
#endif
    return abs(normal.z);
}

void main() {
    if (primitiveKind == 1 && length(gl_PointCoord - vec2(0.5)) > 0.5) {
        discard;
    }
    if (primitiveKind == 3) {
        color = vec4(0.35, 0.85, 1.0, 1.0);
        return;
    }
    if (primitiveKind == 4) {
        color = vec4(0.95, 0.25, 0.85, opacity);
        return;
    }
    if (primitiveKind != 2) {
        color = vec4(primitiveKind == 1 ? vec3(1.0) : vec3(0.82, 0.84, 0.86), opacity);
        return;
    }
    vec3 surface = faceOrientation
                       ? (gl_FrontFacing ? vec3(0.22, 0.38, 0.92) : vec3(0.90, 0.20, 0.20))
                       : (gl_FrontFacing ? vec3(0.42, 0.50, 0.62) : vec3(0.62, 0.36, 0.40));
    color = vec4(surface * (0.25 + 0.75 * facing()), opacity);
}

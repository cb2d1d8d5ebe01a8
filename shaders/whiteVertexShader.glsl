#version 330 core
// Points and wireframe: flat colours, no lighting.

layout(location = 0) in vec3 position;

uniform mat4 matrix;
uniform mat4 modelView;
uniform float pointSize;
// Set while drawing points, so that points and wire edges get their own colours.
uniform bool drawingPoints;

out vec3 viewPosition;
out vec3 baseColor;
flat out int primitiveKind;

void main() {
    vec4 p = matrix * vec4(position, 1.0);
    // The projection maps depth to 0..1; GL clips -1..1.
    gl_Position = vec4(p.x, p.y, 2.0 * p.z - p.w, p.w);
    gl_PointSize = pointSize;
    viewPosition = (modelView * vec4(position, 1.0)).xyz;
    baseColor = drawingPoints ? vec3(1.0) : vec3(0.82, 0.84, 0.86);
    primitiveKind = drawingPoints ? 1 : 0;
}

#version 330 core
// Points and wireframe: flat colours, no lighting.

layout(location = 0) in vec3 position;

uniform mat4 matrix;
uniform mat4 modelView;
uniform float pointSize;

out vec3 viewPosition;

void main() {
    vec4 p = matrix * vec4(position, 1.0);
    // The projection maps depth to 0..1; GL clips -1..1.
    gl_Position = vec4(p.x, p.y, 2.0 * p.z - p.w, p.w);
    gl_PointSize = pointSize;
    viewPosition = (modelView * vec4(position, 1.0)).xyz;
}

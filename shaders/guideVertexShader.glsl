#version 330 core
// The viewport's guides: the unit grid placed on a plane of the world, or lines given in device
// units (the axis triad and its letters).

// On the unit grid: a and b, and 0 for a line along a or 1 for a line along b.
layout(location = 0) in vec3 position;

uniform mat4 matrix;
// Device lines: matrix takes them to device x and y, without depth.
uniform bool onScreen;
// The size of a pixel in device units: a thick line's second and third instances are drawn a
// pixel to the side and a pixel up.
uniform vec2 pixel;
uniform vec4 color;

// The grid: the world's number of the unit grid's centre lines; the strength of lines that are
// not major; the plane's axis colours; and whether this draws the axes or the other lines.
uniform vec2 centre;
uniform float minorWeight;
uniform vec3 axisColors[2];
uniform bool axes;

out vec4 lineColor;
out vec2 gridPosition;

void main() {
    vec2 offset = vec2(gl_InstanceID == 1 ? 1.0 : 0.0, gl_InstanceID == 2 ? 1.0 : 0.0) * pixel;
    if (onScreen) {
        gl_Position = vec4((matrix * vec4(position, 1.0)).xy + offset, 0.0, 1.0);
        lineColor = color;
        gridPosition = vec2(0.0);
        return;
    }
    vec4 p = matrix * vec4(position.xy, 0.0, 1.0);
    // The projection maps depth to 0..1; GL clips -1..1.
    gl_Position = vec4(p.xy + offset * p.w, 2.0 * p.z - p.w, p.w);
    gridPosition = position.xy;

    bool alongA = position.z < 0.5;
    float line = alongA ? centre.y + position.y : centre.x + position.x;
    if (abs(line) < 0.5) {
        lineColor = axes ? vec4(axisColors[alongA ? 0 : 1], 1.0) : vec4(0.0);
    } else {
        bool major = abs(line - 10.0 * round(line / 10.0)) < 0.5;
        lineColor = vec4(color.rgb, color.a * (major ? 1.0 : minorWeight));
    }
}

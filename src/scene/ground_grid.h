#pragma once

#include "geometry/matrix.h"
#include "scene/camera.h"
#include "scene/viewport.h"

#include <array>

namespace tessel {

// The guides that tell where a viewport looks from: a grid on a plane of the world through the
// origin, with the world's axes on it, and a triad of the three axes turning with the camera.
//
// The grid is one fixed set of lines, the unit grid: in its own (a, b) plane, the lines a = k and
// b = k for every whole k from −kGridHalfLines to kGridHalfLines, each across the whole square.
// A camera only changes where it is placed, so the lines never change.

inline constexpr int kGridHalfLines = 100;

// A plane of the grid, by the world axis across it. Its a and b axes are the other two in order:
// z = 0 holds x and y, y = 0 holds x and z, x = 0 holds y and z.
enum class GridPlane { X, Y, Z };

// The plane a view looks down on: y = 0 from Top and Bottom, x = 0 from Left and Right, z = 0
// from the starting, front, back and user views.
GridPlane gridPlaneFor(ViewName name);

struct GroundGrid {
    // Takes the unit grid's point (a, b, 0) to the world: `spacing` apart along the plane's axes,
    // the unit grid's centre on the world line nearest to where the camera looks.
    Matrix placement;
    // The distance between neighbouring lines in the world: a power of ten.
    float spacing = 1;
    // The world's number of the unit grid's centre line along a and along b, a multiple of 10:
    // the world line numbered 0 is the axis, one numbered a multiple of 10 is a major line. So the
    // unit grid's major lines are those at multiples of 10, and the plane's a axis is its line
    // b = −centre[1], the b axis its line a = −centre[0].
    std::array<float, 2> centre{};
    // The strength of the other lines, as a share of a major line's, from 0 to 1: 1 with 10 lines
    // across the view, fading to 0 at 50 and more, so that denser lines fade in as the camera
    // comes closer and none crowd the view.
    float minorWeight = 1;
    // The colours of the plane's a and b axes.
    std::array<Vector3, 2> axisColours;
};

// How `camera`, looking through a viewport of that width-to-height ratio, sees the grid on
// `plane`: centred where its line of sight meets the plane (right under the camera when it looks
// away from the plane or along it), with 10 to 100 lines across the wider side of the view at the
// distance of that centre. A camera whose matrix holds no numbers places nothing visible.
GroundGrid placeGroundGrid(const Camera& camera, float aspectRatio, GridPlane plane);

// The colour of the world's axis 0 (x: red), 1 (y: green) or 2 (z: blue), as red, green, blue
// from 0 to 1.
Vector3 axisColour(int axis);

// The camera's turn alone, as a square viewport sees it: column k holds the device x and y (and
// depth, larger further back) of the world's axis k. A triad drawn through it turns with the view.
Matrix axisTriad(const Camera& camera);

} // namespace tessel

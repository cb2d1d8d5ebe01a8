#pragma once

#include "geometry/matrix.h"
#include "geometry/plane.h"
#include "mesh/layer.h"
#include "scene/viewport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {

class ToolContext;

// Near and far device depths of the selection volumes' corners.
inline constexpr float selectionNearDepth = 5e-7f;
inline constexpr float selectionFarDepth = 0.9999995f;

// A rectangle on the screen in device coordinates, (x1, y1) its upper-left corner and (x2, y2)
// its lower-right one.
struct ScreenRectangle {
    float x1, y1, x2, y2;

    // The rectangle between two corners, whichever way it was dragged.
    static ScreenRectangle between(Vec2 a, Vec2 b);
    // The small box a click selects with, around the click.
    static ScreenRectangle around(Vec2 click);
};

// What the rectangle shows between the near and far selection depths: its eight corners, in
// the order of the cube's points (Model::makeCube), so that a cube mesh can draw it.
std::array<Vector3, 8> selectionCorners(const ScreenRectangle& rectangle,
                                        const Matrix& inverseViewProjection);

// The four side planes of those corners: right, left, bottom, top. A point is inside when it
// lies behind the first two and in front of the last two (a point on a side counts).
std::array<Plane, 4> selectionSides(const std::array<Vector3, 8>& corners);

// Ids of the layer's points inside the four sides, ascending.
std::vector<std::int64_t> pointsInside(const std::array<Plane, 4>& sides, const Layer& layer);
// The same as one flag per point of the layer, by id: 1 inside, 0 outside.
std::vector<std::uint8_t> insideFlags(const std::array<Plane, 4>& sides, const Layer& layer);

// The face click shared by the polygon tools: picks the polygon of the selected mesh under the
// viewport's pointer and returns the picked point. The face becomes the whole face selection, or
// is added after the faces selected before when the press adds (a miss then keeps them).
std::optional<Vector3> pressOnPolygon(ToolContext& context, Vec2 position, Viewport& view);

} // namespace tessel

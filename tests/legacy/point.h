#pragma once

#include "geometry/vector.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tessel::legacy {

class Point;
using PointPtr = std::shared_ptr<Point>;

// A shared vertex. Faces refer to points by reference and every vertex comparison is by
// identity: two points at the same position are different vertices.
class Point {
public:
    Vector3 position;

    explicit Point(const Vector3& p) : position(p) {}
    Point(float x, float y, float z) : position(x, y, z) {}

    static PointPtr make(const Vector3& p) { return std::make_shared<Point>(p); }
    static PointPtr make(float x, float y, float z) { return std::make_shared<Point>(x, y, z); }

    // A new, independent point at the same position.
    PointPtr copy() const { return make(position); }

    // Scratch slot for layers: a bulk operation numbers its layer's points here so that finding
    // a vertex's id costs one comparison instead of a scan. Only meaningful during that
    // operation, and always verified against the layer before use.
    mutable std::uint32_t indexHint_ = 0;
};

// Mean of the positions: components summed in list order, divided by the count (0/0 when empty).
Vector3 centroid(std::span<const PointPtr> points);

} // namespace tessel::legacy

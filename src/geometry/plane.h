#pragma once

#include "geometry/vector.h"

#include <optional>
#include <vector>

namespace tessel {

// An oriented plane: coefficients hold the unit normal n (x, y, z) and the offset n · origin
// (w). Distances are always measured from origin_, which every plane the system builds has.
struct Plane {
    Vector4 coefficients;
    std::optional<Vector3> origin_;

    Vector3 normal() const { return {coefficients[0], coefficients[1], coefficients[2]}; }
    // n · (p − origin): positive in front, negative behind, not-a-number for a degenerate plane.
    // A plane without origin is a programming error.
    float signedDistance(const Vector3& p) const;

    // The cutting plane through `origin` with unit normal `n`.
    static Plane through(const Vector3& n, const Vector3& origin) {
        return Plane{Vector4(n.x, n.y, n.z, n.dot(origin)), origin};
    }
};

// The N values i / (N − 1), i = 0 … N − 1. N = 1 gives one not-a-number; N = 0 nothing.
std::vector<float> NormalizedRange(long count);

} // namespace tessel

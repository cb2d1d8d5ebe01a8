#pragma once

#include "geometry/matrix.h"
#include "mesh/edge.h"
#include "mesh/layer.h"

#include <gtest/gtest.h>

namespace tessel {

inline std::ostream& operator<<(std::ostream& out, const Edge& e) {
    return out << "(" << e.a << " " << e.b << ")";
}

} // namespace tessel

namespace tessel::testing {

inline void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << actual << " vs " << expected;
}

// The matrix turns without stretching or mirroring: its first three columns are orthonormal and
// right-handed.
inline void expectRotation(const Matrix& m, float tolerance = 1e-5f) {
    const Vector3 x{m(0, 0), m(1, 0), m(2, 0)};
    const Vector3 y{m(0, 1), m(1, 1), m(2, 1)};
    EXPECT_NEAR(x.length(), 1, tolerance) << m;
    EXPECT_NEAR(y.length(), 1, tolerance) << m;
    EXPECT_NEAR(x.dot(y), 0, tolerance) << m;
    expectNear({m(0, 2), m(1, 2), m(2, 2)}, x.cross(y), tolerance);
}

} // namespace tessel::testing

#pragma once

#include "mesh/layer.h"

#include <gtest/gtest.h>

namespace tessel::testing {

inline void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << actual << " vs " << expected;
}

} // namespace tessel::testing

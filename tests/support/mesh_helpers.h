#pragma once

#include "mesh/layer.h"
#include "mesh/model.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessel::testing {

// A face's vertices as a list, for exact comparisons of rings.
inline std::vector<PointPtr> ring(const Polygon& p) {
    const auto v = p.verts();
    return {v.begin(), v.end()};
}
inline std::vector<PointPtr> ring(const PolygonPtr& p) { return ring(*p); }

inline std::vector<Vector3> positions(const Layer& layer) {
    std::vector<Vector3> result;
    for (const PointPtr& p : layer.points) {
        result.push_back(p->position);
    }
    return result;
}

// The committed geometry of a model's first layer, bypassing any preview.
inline LayerPtr committed(Model& model) { return model._layers().front(); }

inline void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-6f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << actual << " vs " << expected;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << actual << " vs " << expected;
}

} // namespace tessel::testing

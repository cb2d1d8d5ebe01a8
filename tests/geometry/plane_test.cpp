#include "geometry/plane.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

TEST(PlaneTest, ThroughBuildsCoefficientsAndOrigin) {
    const Plane p = Plane::through({0, 0, 1}, {1, 2, 3});
    EXPECT_EQ(p.coefficients, Vector4(0, 0, 1, 3));
    ASSERT_TRUE(p.origin_.has_value());
    EXPECT_EQ(*p.origin_, Vector3(1, 2, 3));
    EXPECT_EQ(p.normal(), Vector3(0, 0, 1));
}

TEST(PlaneTest, SignedDistanceIsMeasuredFromOriginNotOffset) {
    // The offset w deliberately disagrees with the origin: only origin_ counts.
    const Plane p{Vector4(0, 0, 1, 100), Vector3(0, 0, 1)};
    EXPECT_EQ(p.signedDistance({5, 5, 3}), 2);
    EXPECT_EQ(p.signedDistance({5, 5, 0}), -1);
    EXPECT_EQ(p.signedDistance({-7, 9, 1}), 0);
}

TEST(PlaneTest, DegeneratePlaneGivesNotANumber) {
    const Plane p{Vector4(NAN, NAN, NAN, NAN), Vector3(0, 0, 0)};
    EXPECT_TRUE(std::isnan(p.signedDistance({1, 2, 3})));
}

TEST(PlaneDeathTest, DistanceWithoutOriginStops) {
    const Plane p{Vector4(0, 0, 1, 0), std::nullopt};
    EXPECT_DEATH(p.signedDistance({0, 0, 0}), "Plane.signedDistance");
}

TEST(NormalizedRangeTest, Values) {
    EXPECT_TRUE(NormalizedRange(0).empty());
    EXPECT_TRUE(std::isnan(NormalizedRange(1).at(0)));
    EXPECT_EQ(NormalizedRange(2), (std::vector<float>{0, 1}));
    EXPECT_EQ(NormalizedRange(4), (std::vector<float>{0, 1.0f / 3.0f, 2.0f / 3.0f, 1}));
    EXPECT_EQ(NormalizedRange(5), (std::vector<float>{0, 0.25f, 0.5f, 0.75f, 1}));
}

TEST(NormalizedRangeDeathTest, NegativeCountStops) {
    EXPECT_DEATH(NormalizedRange(-1), "NormalizedRange");
}

} // namespace
} // namespace tessel

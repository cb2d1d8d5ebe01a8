#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

TEST(Vector3Test, IsPackedTwelveBytesInFieldOrder) {
    static_assert(sizeof(Vector3) == 12);
    Vector3 list[2] = {{1, 2, 3}, {4, 5, 6}};
    const float* raw = &list[0].x;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(raw[i], static_cast<float>(i + 1));
    }
}

TEST(Vector3Test, DotSumsInOrder) {
    EXPECT_EQ(Vector3(1, 2, 3).dot(Vector3(4, -5, 6)), 4 - 10 + 18);
    EXPECT_EQ(Vector3(2, 3, 4).squaredLength(), 29);
    // (x·x' + y·y') + z·z': 1e8 + (-1e8) first, then + 1 gives 1 (a different order gives 0).
    EXPECT_EQ(Vector3(1e8f, 1e8f, 1).dot(Vector3(1, -1, 1)), 1.0f);
}

TEST(Vector3Test, ArithmeticIsComponentWise) {
    const Vector3 a(1, 2, 3);
    const Vector3 b(-4, 0.5f, 2);
    EXPECT_EQ(a + b, Vector3(-3, 2.5f, 5));
    EXPECT_EQ(a - b, Vector3(5, 1.5f, 1));
    EXPECT_EQ(2 * a, Vector3(2, 4, 6));
    EXPECT_EQ(-a, Vector3(-1, -2, -3));
    Vector3 c = a;
    c += b;
    EXPECT_EQ(c, Vector3(-3, 2.5f, 5));
}

TEST(Vector3Test, CrossProduct) {
    EXPECT_EQ(Vector3(1, 0, 0).cross(Vector3(0, 1, 0)), Vector3(0, 0, 1));
    EXPECT_EQ(Vector3(0, 1, 0).cross(Vector3(1, 0, 0)), Vector3(0, 0, -1));
    // (2·6 − 3·5, 3·4 − 1·6, 1·5 − 2·4)
    EXPECT_EQ(Vector3(1, 2, 3).cross(Vector3(4, 5, 6)), Vector3(-3, 6, -3));
}

TEST(Vector3Test, LengthAndNormalisation) {
    EXPECT_EQ(Vector3(3, 4, 12).length(), 13);
    EXPECT_EQ(Vector3(0, 0, -5).normalized(), Vector3(0, 0, -1));
    const Vector3 n = Vector3(1, 2, 2).normalized();
    EXPECT_FLOAT_EQ(n.x, 1.0f / 3);
    EXPECT_FLOAT_EQ(n.y, 2.0f / 3);
    EXPECT_FLOAT_EQ(n.z, 2.0f / 3);
    const Vector3 zero = Vector3(0, 0, 0).normalized();
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));
}

TEST(Vector3Test, EqualityIsExact) {
    EXPECT_TRUE(Vector3(1, 2, 3) == Vector3(1, 2, 3));
    EXPECT_FALSE(Vector3(1, 2, 3) == Vector3(1, 2, 3.0000005f));
    EXPECT_FALSE(Vector3(0, 0, NAN) == Vector3(0, 0, NAN));
}

TEST(Vector3Test, OrderingComparesLengthsNotCoordinates) {
    const Vector3 a(1, 0, 0);
    const Vector3 b(0, 1, 0);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(a <= b);
    EXPECT_TRUE(a >= b);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a < Vector3(0, 2, 0));
    EXPECT_TRUE(Vector3(-3, 0, 0) > Vector3(1, 1, 1)); // 9 > 3, not by coordinates
}

TEST(Vector4Test, ElementsAndDehomogenisation) {
    EXPECT_EQ(Vector4(1, 2, 3, 4).dehomogenized(), Vector3(0.25f, 0.5f, 0.75f));
    EXPECT_EQ(Vector4(Vector3(5, 6, 7), 1), Vector4(5, 6, 7, 1));
    static_assert(sizeof(Vector4) == 16);
}

} // namespace
} // namespace tessel

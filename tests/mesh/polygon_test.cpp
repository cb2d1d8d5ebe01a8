// Points, edges and polygons.
#include "mesh/polygon.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

using testing::expectNear;

bool isNan(const Vector3& v) { return std::isnan(v.x) && std::isnan(v.y) && std::isnan(v.z); }

struct UnitTriangle : ::testing::Test {
    PointPtr a = Point::make(0, 0, 0);
    PointPtr b = Point::make(1, 0, 0);
    PointPtr c = Point::make(0, 1, 0);
    TrianglePtr t = Triangle::make(a, b, c);
};

// --- Point ---

TEST(PointTest, CopyIsIndependent) {
    const auto p = Point::make(1, 2, 3);
    const auto q = p->copy();
    EXPECT_NE(p, q);
    EXPECT_EQ(q->position, Vector3(1, 2, 3));
    q->position = {4, 5, 6};
    EXPECT_EQ(p->position, Vector3(1, 2, 3));
}

TEST(PointTest, CentroidSumsInListOrder) {
    const std::vector<PointPtr> points{Point::make(1, 2, 3), Point::make(3, 4, 5),
                                       Point::make(5, 0, -2)};
    EXPECT_EQ(centroid(points), Vector3(3, 2, 2));
    // Summed in list order, as (1e8 + 1) + -1e8 = 0 in float arithmetic.
    const std::vector<PointPtr> cancel{Point::make(1e8f, 0, 0), Point::make(1, 0, 0),
                                       Point::make(-1e8f, 0, 0)};
    EXPECT_EQ(centroid(cancel).x, 0.0f);
    EXPECT_TRUE(isNan(centroid(std::span<const PointPtr>{})));
}

// --- Shared polygon operations ---

TEST_F(UnitTriangle, NormalAndCentroid) {
    EXPECT_EQ(t->normal(), Vector3(0, 0, 1));
    EXPECT_EQ(Triangle::make(a, c, b)->normal(), Vector3(0, 0, -1));
    expectNear(t->centroid(), {1.0f / 3, 1.0f / 3, 0});
}

TEST(PolygonTest, EdgesInRingOrder) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(1, 1, 0),
               d = Point::make(0, 1, 0);
    using Pairs = std::vector<std::pair<PointPtr, PointPtr>>;
    const auto pairs = [](const PolygonPtr& p) {
        Pairs result;
        for (const auto& e : p->edges()) {
            result.emplace_back(e.vertex0, e.vertex1);
        }
        return result;
    };
    EXPECT_EQ(pairs(Triangle::make(a, b, c)), (Pairs{{a, b}, {b, c}, {c, a}}));
    EXPECT_EQ(pairs(Quad::make(a, b, c, d)), (Pairs{{a, b}, {b, c}, {c, d}, {d, a}}));
}

TEST_F(UnitTriangle, EdgeIdInEitherDirectionFirstMatchWinning) {
    EXPECT_EQ(t->edgeId({c, b}), 1);
    EXPECT_EQ(t->edgeId({a, c}), 2);
    EXPECT_EQ(t->edgeId({a, Point::make(1, 0, 0)}), std::nullopt);
    // [a, b, a]: edges (a, b), (b, a), (a, a); Edge(b, a) matches edge 0 first.
    const auto degenerate = Triangle::make(a, b, a);
    EXPECT_EQ(degenerate->edgeId({b, a}), 0);
    EXPECT_EQ(degenerate->edgeId({a, a}), 2);
}

TEST_F(UnitTriangle, ReplaceChangesTheFirstOccurrenceOnly) {
    const auto d = Point::make(5, 5, 5);
    const auto degenerate = Triangle::make(a, b, a);
    degenerate->replace(a, d);
    EXPECT_EQ(testing::ring(*degenerate), (std::vector<PointPtr>{d, b, a}));
}

TEST_F(UnitTriangle, SetVertsWithWrongCountStops) {
    const std::vector<PointPtr> ring{a, b};
    EXPECT_DEATH(t->setVerts(ring), "Polygon.verts");
}

// --- Triangle ---

TEST_F(UnitTriangle, ContainsPositionStrictlyInside) {
    EXPECT_TRUE(t->contains(Vector3(0.25f, 0.25f, 0)));
    EXPECT_FALSE(t->contains(Vector3(1, 1, 0)));
    EXPECT_FALSE(t->contains(Vector3(0.5f, 0, 0)));  // on an edge
    EXPECT_FALSE(t->contains(Vector3(0, 0, 0)));     // a vertex
    EXPECT_FALSE(t->contains(Vector3(0.5f, 0.5f, 0))); // on the hypotenuse
}

TEST_F(UnitTriangle, IntersectionWithRays) {
    // From either side; an oblique ray lands where the line meets z = 0.
    expectNear(t->intersection({0.25f, 0.25f, 5}, {0.25f, 0.25f, 4}).value(), {0.25f, 0.25f, 0});
    expectNear(t->intersection({0.1f, 0.2f, -1}, {0.1f, 0.2f, 0}).value(), {0.1f, 0.2f, 0});
    expectNear(t->intersection({0, 0, 2}, {0.1f, 0.1f, 1}).value(), {0.2f, 0.2f, 0});
    EXPECT_FALSE(t->intersection({0.25f, 0.25f, 5}, {0.25f, 0.25f, 6}).has_value()); // pointing away
    EXPECT_FALSE(t->intersection({0.25f, 0.25f, 5}, {1.25f, 0.25f, 5}).has_value()); // parallel
    EXPECT_FALSE(t->intersection({0, 0, 1}, {0, 0, 0}).has_value());                 // a vertex
    EXPECT_FALSE(t->intersection({0.5f, 0, 1}, {0.5f, 0, 0}).has_value());           // an edge
}

TEST(TriangleTest, CoincidentDistinctPointsAreNotDegeneratedButNeverHit) {
    const auto t = Triangle::make(Point::make(1, 1, 1), Point::make(1, 1, 1), Point::make(1, 1, 1));
    EXPECT_FALSE(t->isDegenerated());
    EXPECT_TRUE(std::isnan(t->normal().x));
    EXPECT_FALSE(t->contains(Vector3(1, 1, 1)));
    EXPECT_FALSE(t->intersection({1, 1, 2}, {1, 1, 0}).has_value());
}

TEST_F(UnitTriangle, IsDegeneratedByIdentity) {
    EXPECT_FALSE(t->isDegenerated());
    EXPECT_TRUE(Triangle::make(a, a, b)->isDegenerated());
    EXPECT_TRUE(Triangle::make(a, b, a)->isDegenerated());
    EXPECT_TRUE(Triangle::make(b, a, a)->isDegenerated());
}

TEST_F(UnitTriangle, SubdividedFan) {
    const auto p = Point::make(0.25f, 0.25f, 0);
    std::vector<std::vector<PointPtr>> rings;
    for (const auto& piece : t->subdivided(p)) {
        rings.push_back(testing::ring(*piece));
    }
    EXPECT_EQ(rings, (std::vector<std::vector<PointPtr>>{{a, b, p}, {b, c, p}, {c, a, p}}));
}

TEST(TrianglePlaneTest, LiftedTriangleAndDegenerateTriangle) {
    const auto lifted = Triangle::make(Point::make(0, 0, 2), Point::make(1, 0, 2), Point::make(0, 1, 2));
    const Plane p = lifted->plane();
    EXPECT_EQ(p.coefficients, Vector4(0, 0, 1, 2));
    ASSERT_TRUE(p.origin_.has_value());
    expectNear(*p.origin_, {1.0f / 3, 1.0f / 3, 2});
    EXPECT_FLOAT_EQ(p.signedDistance({5, 5, 4}), 2);
    const auto collinear = Triangle::make(Point::make(0, 0, 0), Point::make(1, 1, 1), Point::make(2, 2, 2));
    const Plane q = collinear->plane();
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(std::isnan(q.coefficients[k])) << k;
    }
}

TEST_F(UnitTriangle, CopySharesThePoints) {
    const auto copy = t->copy();
    EXPECT_NE(copy, t);
    EXPECT_EQ(testing::ring(*copy), testing::ring(*t));
    const auto polygonCopy = t->copyPolygon();
    EXPECT_TRUE(polygonCopy->isTriangle());
    EXPECT_NE(polygonCopy, t);
}

// --- Quad ---

struct UnitQuad : ::testing::Test {
    PointPtr a = Point::make(0, 0, 0);
    PointPtr b = Point::make(1, 0, 0);
    PointPtr c = Point::make(1, 1, 0);
    PointPtr d = Point::make(0, 1, 0);
    QuadPtr q = Quad::make(a, b, c, d);
};

TEST_F(UnitQuad, TrianglesAlongTheDiagonalAreNewOnEveryCall) {
    const auto first = q->triangles();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(testing::ring(*first[0]), (std::vector<PointPtr>{a, b, c}));
    EXPECT_EQ(testing::ring(*first[1]), (std::vector<PointPtr>{a, c, d}));
    EXPECT_NE(first[0], triangles(PolygonPtr(q))[0]);
    first[0]->replace(b, d);
    EXPECT_EQ(q->verts()[1], b);
}

TEST_F(UnitQuad, SubdividedKeepsTheOrientation) {
    const auto p = Point::make(q->centroid());
    expectNear(p->position, {0.5f, 0.5f, 0});
    std::vector<std::vector<PointPtr>> rings;
    for (const auto& piece : q->subdivided(p)) {
        rings.push_back(testing::ring(*piece));
    }
    EXPECT_EQ(rings, (std::vector<std::vector<PointPtr>>{{a, b, p}, {b, c, p}, {c, d, p}, {d, a, p}}));
}

TEST_F(UnitQuad, PlaneAndIsDegeneratedStop) {
    EXPECT_DEATH(q->plane(), "Quad.plane");
    EXPECT_DEATH((void)q->isDegenerated(), "Quad.isDegenerated");
}

TEST(TriangleMathTest, MatchesTheTriangleMembers) {
    const auto t = Triangle::make(Point::make(0.3f, -1, 2), Point::make(2, 0.5f, 1), Point::make(-1, 2, 0.25f));
    const Vector3 pa = t->a()->position, pb = t->b()->position, pc = t->c()->position;
    EXPECT_EQ(triangle_math::normal(pa, pb, pc), t->normal());
    EXPECT_EQ(triangle_math::centroid(pa, pb, pc), t->centroid());
    const Vector3 p0{0.4f, 0.4f, 5}, p1{0.41f, 0.39f, 0};
    EXPECT_EQ(triangle_math::intersection(pa, pb, pc, p0, p1), t->intersection(p0, p1));
    ASSERT_TRUE(t->intersection(p0, p1).has_value());
}

} // namespace
} // namespace tessel

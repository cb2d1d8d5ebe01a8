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
}

TEST(PointTest, CentroidOfNothingIsNotANumber) {
    EXPECT_TRUE(isNan(centroid(std::span<const PointPtr>{})));
}

// --- Shared polygon operations ---

TEST_F(UnitTriangle, NormalAndCentroid) {
    EXPECT_EQ(t->normal(), Vector3(0, 0, 1));
    expectNear(t->centroid(), {1.0f / 3, 1.0f / 3, 0});
}

TEST_F(UnitTriangle, SwappingTwoVerticesFlipsTheNormal) {
    EXPECT_EQ(Triangle::make(a, c, b)->normal(), Vector3(0, 0, -1));
}

TEST_F(UnitTriangle, EdgesInRingOrder) {
    const auto edges = t->edges();
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_EQ(edges[0].vertex0, a);
    EXPECT_EQ(edges[0].vertex1, b);
    EXPECT_EQ(edges[1].vertex0, b);
    EXPECT_EQ(edges[1].vertex1, c);
    EXPECT_EQ(edges[2].vertex0, c);
    EXPECT_EQ(edges[2].vertex1, a);
}

TEST(QuadTest, EdgesInRingOrder) {
    const auto a = Point::make(0, 0, 0), b = Point::make(1, 0, 0), c = Point::make(1, 1, 0),
               d = Point::make(0, 1, 0);
    const auto edges = Quad::make(a, b, c, d)->edges();
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(edges[2].vertex0, c);
    EXPECT_EQ(edges[2].vertex1, d);
    EXPECT_EQ(edges[3].vertex0, d);
    EXPECT_EQ(edges[3].vertex1, a);
}

TEST_F(UnitTriangle, EdgeIdInEitherDirection) {
    EXPECT_EQ(t->edgeId({b, a}), 0);
    EXPECT_EQ(t->edgeId({a, b}), 0);
    EXPECT_EQ(t->edgeId({c, b}), 1);
    EXPECT_EQ(t->edgeId({a, c}), 2);
    EXPECT_EQ(t->edgeId({a, Point::make(1, 0, 0)}), std::nullopt);
}

TEST_F(UnitTriangle, EdgeIdGivesTheFirstMatch) {
    // [a, b, a]: edges (a, b), (b, a), (a, a); Edge(b, a) matches edge 0 first.
    const auto degenerate = Triangle::make(a, b, a);
    EXPECT_EQ(degenerate->edgeId({b, a}), 0);
    EXPECT_EQ(degenerate->edgeId({a, a}), 2);
}

TEST_F(UnitTriangle, ReplaceChangesTheFirstOccurrenceOnly) {
    const auto d = Point::make(5, 5, 5);
    const auto degenerate = Triangle::make(a, b, a);
    degenerate->replace(a, d);
    EXPECT_EQ(degenerate->a(), d);
    EXPECT_EQ(degenerate->b(), b);
    EXPECT_EQ(degenerate->c(), a);
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
    const auto hit = t->intersection({0.25f, 0.25f, 5}, {0.25f, 0.25f, 4});
    ASSERT_TRUE(hit.has_value());
    expectNear(*hit, {0.25f, 0.25f, 0});
    EXPECT_FALSE(t->intersection({0.25f, 0.25f, 5}, {0.25f, 0.25f, 6}).has_value());
    EXPECT_FALSE(t->intersection({0.25f, 0.25f, 5}, {1.25f, 0.25f, 5}).has_value()); // parallel
}

TEST_F(UnitTriangle, IntersectionFromBehindAndOblique) {
    // The back side is hit too; an oblique ray lands where the line meets z = 0.
    const auto back = t->intersection({0.1f, 0.2f, -1}, {0.1f, 0.2f, 0});
    ASSERT_TRUE(back.has_value());
    expectNear(*back, {0.1f, 0.2f, 0});
    const auto oblique = t->intersection({0, 0, 2}, {0.1f, 0.1f, 1});
    ASSERT_TRUE(oblique.has_value());
    expectNear(*oblique, {0.2f, 0.2f, 0});
}

TEST_F(UnitTriangle, IntersectionThroughAVertexOrEdgeMisses) {
    EXPECT_FALSE(t->intersection({0, 0, 1}, {0, 0, 0}).has_value());
    EXPECT_FALSE(t->intersection({0.5f, 0, 1}, {0.5f, 0, 0}).has_value());
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
    const auto pieces = t->subdivided(p);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0]->a(), a);
    EXPECT_EQ(pieces[0]->b(), b);
    EXPECT_EQ(pieces[0]->c(), p);
    EXPECT_EQ(pieces[1]->a(), b);
    EXPECT_EQ(pieces[1]->b(), c);
    EXPECT_EQ(pieces[1]->c(), p);
    EXPECT_EQ(pieces[2]->a(), c);
    EXPECT_EQ(pieces[2]->b(), a);
    EXPECT_EQ(pieces[2]->c(), p);
    for (const auto& piece : pieces) {
        expectNear(piece->normal(), {0, 0, 1});
    }
}

TEST_F(UnitTriangle, PlaneThroughTheTriangle) {
    const auto lifted = Triangle::make(Point::make(0, 0, 2), Point::make(1, 0, 2), Point::make(0, 1, 2));
    const Plane p = lifted->plane();
    EXPECT_EQ(p.normal(), Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(p.coefficients[3], 2);
    ASSERT_TRUE(p.origin_.has_value());
    expectNear(*p.origin_, {1.0f / 3, 1.0f / 3, 2});
}

TEST(TrianglePlaneTest, UnitTriangleAndDegenerateTriangle) {
    const auto t = Triangle::make(Point::make(0, 0, 0), Point::make(1, 0, 0), Point::make(0, 1, 0));
    const Plane p = t->plane();
    EXPECT_EQ(p.coefficients, Vector4(0, 0, 1, 0));
    EXPECT_FLOAT_EQ(p.signedDistance({5, 5, 2}), 2);
    EXPECT_FLOAT_EQ(p.signedDistance({0, 0, -1}), -1);
    const auto collinear = Triangle::make(Point::make(0, 0, 0), Point::make(1, 1, 1), Point::make(2, 2, 2));
    const Plane q = collinear->plane();
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(std::isnan(q.coefficients[k])) << k;
    }
    const float d = q.signedDistance({1, 0, 0});
    EXPECT_FALSE(d > 0 || d < 0 || d == 0);
}

TEST_F(UnitTriangle, CopySharesThePoints) {
    const auto copy = t->copy();
    EXPECT_NE(copy, t);
    EXPECT_EQ(copy->a(), a);
    EXPECT_EQ(copy->b(), b);
    EXPECT_EQ(copy->c(), c);
    copy->a()->position = {0, 0, 1};
    EXPECT_EQ(a->position, Vector3(0, 0, 1));
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
    EXPECT_EQ(first[0]->a(), a);
    EXPECT_EQ(first[0]->b(), b);
    EXPECT_EQ(first[0]->c(), c);
    EXPECT_EQ(first[1]->a(), a);
    EXPECT_EQ(first[1]->b(), c);
    EXPECT_EQ(first[1]->c(), d);
    const auto second = triangles(PolygonPtr(q));
    EXPECT_NE(first[0], second[0]);
    first[0]->replace(b, d);
    EXPECT_EQ(q->verts()[1], b);
}

TEST_F(UnitQuad, SubdividedKeepsTheOrientation) {
    const auto p = Point::make(q->centroid());
    expectNear(p->position, {0.5f, 0.5f, 0});
    const auto pieces = q->subdivided(p);
    ASSERT_EQ(pieces.size(), 4u);
    const PointPtr ring[4] = {a, b, c, d};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(pieces[k]->a(), ring[k]);
        EXPECT_EQ(pieces[k]->b(), ring[(k + 1) % 4]);
        EXPECT_EQ(pieces[k]->c(), p);
        expectNear(pieces[k]->normal(), {0, 0, 1});
    }
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

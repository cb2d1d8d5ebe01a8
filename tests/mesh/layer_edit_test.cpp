// Layer edits that add geometry, and the ray queries.
#include "mesh/layer.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tessel {
namespace {

using Points = std::vector<PointPtr>;
using Polygons = std::vector<PolygonPtr>;

using testing::expectNear;
using testing::ring;

Vector3 normalOf(const PolygonPtr& p) { return static_cast<const Triangle&>(*p).normal(); }

std::vector<Points> rings(const Layer& layer) {
    std::vector<Points> result;
    for (const auto& p : layer.polygons) {
        result.push_back(ring(p));
    }
    return result;
}

// Points [A(0,0,0), B(1,0,0), E(0,1,0)] and polygon 0 = (A, B, E).
struct OneTriangle : ::testing::Test {
    PointPtr A = Point::make(0, 0, 0);
    PointPtr B = Point::make(1, 0, 0);
    PointPtr E = Point::make(0, 1, 0);
    PolygonPtr face = Triangle::make(A, B, E);
    LayerPtr layer = Layer::make({A, B, E}, {face});
};

// A strip of `count` triangles, each with its own three points.
LayerPtr makeStrip(int count) {
    Points points;
    Polygons polygons;
    for (int k = 0; k < count; ++k) {
        const float x = float(k);
        const auto a = Point::make(x, 0, 0), b = Point::make(x + 1, 0, 0), c = Point::make(x, 1, 0);
        points.insert(points.end(), {a, b, c});
        polygons.push_back(Triangle::make(a, b, c));
    }
    return Layer::make(points, polygons);
}

// --- subdividePolygon ---

TEST(LayerSubdivideTest, FaceHeldOnlyByTheLayer) {
    // No one but the layer holds the face, so it may be reused as the first piece: the pieces
    // are the same as when someone does, and nothing holds the points twice.
    const auto A = Point::make(0, 0, 0), B = Point::make(1, 0, 0), E = Point::make(0, 1, 0);
    const auto layer = Layer::make({A, B, E}, {Triangle::make(A, B, E)});
    layer->subdividePolygon(0);
    ASSERT_EQ(layer->points.size(), 4u);
    const PointPtr C = layer->points[3];
    EXPECT_EQ(C->position, Vector3(1.0f / 3, 1.0f / 3, 0));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{A, B, C}, {B, E, C}, {E, A, C}}));
    // Each point is held by the layer, its faces and this test, nothing more or less.
    EXPECT_EQ(A.use_count(), 1 + 2 + 1);
    EXPECT_EQ(C.use_count(), 1 + 3 + 1);
}

TEST(LayerSubdivideTest, MiddleFaceOfTenKeepsEveryOtherId) {
    const auto layer = makeStrip(10);
    const Polygons before = layer->polygons;
    layer->subdividePolygon(3);
    ASSERT_EQ(layer->polygons.size(), 12u);
    for (size_t k = 0; k < 10; ++k) {
        if (k != 3) {
            EXPECT_EQ(layer->polygons[k], before[k]) << k;
        }
    }
    const PointPtr C = layer->points.back();
    EXPECT_EQ(layer->points.size(), 31u);
    const auto old = ring(before[3]);
    EXPECT_EQ(ring(layer->polygons[3]), (Points{old[0], old[1], C}));
    EXPECT_EQ(ring(layer->polygons[10]), (Points{old[1], old[2], C}));
    EXPECT_EQ(ring(layer->polygons[11]), (Points{old[2], old[0], C}));
    EXPECT_EQ(ring(before[3]), old); // the replaced face object is untouched
}

TEST(LayerSubdivideTest, QuadGivesFourTriangles) {
    const auto a = Point::make(0, 0, 0), b = Point::make(2, 0, 0), c = Point::make(2, 2, 0),
               d = Point::make(0, 2, 0);
    const auto layer = Layer::make({a, b, c, d}, {Quad::make(a, b, c, d)});
    layer->subdividePolygon(0);
    ASSERT_EQ(layer->points.size(), 5u);
    const PointPtr C = layer->points[4];
    EXPECT_EQ(C->position, Vector3(1, 1, 0));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{a, b, C}, {b, c, C}, {c, d, C}, {d, a, C}}));
    for (const auto& p : layer->polygons) {
        EXPECT_TRUE(p->isTriangle());
    }
}

TEST_F(OneTriangle, SubdivideInvalidIdStops) {
    EXPECT_DEATH(layer->subdividePolygon(1), "Layer.subdividePolygon.*polygon id 1 out of range for 1");
}

// --- extrudeTriangle ---

TEST_F(OneTriangle, ExtrudeBuildsCapAndSixSides) {
    layer->extrudeTriangle(0, 2);
    ASSERT_EQ(layer->points.size(), 6u);
    const PointPtr A2 = layer->points[3], B2 = layer->points[4], E2 = layer->points[5];
    EXPECT_EQ((Points(layer->points.begin(), layer->points.begin() + 3)), (Points{A, B, E}));
    EXPECT_EQ(testing::positions(*layer), (std::vector<Vector3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0},
                                                                {0, 0, 2}, {1, 0, 2}, {0, 1, 2}}));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{A2, B2, E2}, {A2, A, B}, {A2, B, B2}, {A, A2, E2},
                                                  {A, E2, E}, {B, E, B2}, {E, E2, B2}}));
}

TEST_F(OneTriangle, ExtrudeNegativeAndZero) {
    layer->extrudeTriangle(0, -0.5f);
    EXPECT_EQ(layer->points[3]->position, Vector3(0, 0, -0.5f));
    expectNear(normalOf(layer->polygons[0]), {0, 0, 1}); // the cap keeps the winding
    expectNear(normalOf(layer->polygons[1]), {0, 1, 0}); // the sides face into the prism
    layer->extrudeTriangle(0, 0);
    EXPECT_EQ(layer->points.size(), 9u);
    EXPECT_EQ(layer->polygons.size(), 13u);
    EXPECT_EQ(layer->points[6]->position, Vector3(0, 0, -0.5f));
    EXPECT_TRUE(std::isnan(normalOf(layer->polygons[7]).x)); // zero-area side
}

TEST_F(OneTriangle, ExtrudeDegenerateTriangleGivesNotANumberPoints) {
    const auto same = Point::make(0, 0, 0);
    layer->points.push_back(same);
    layer->polygons.push_back(Triangle::make(A, same, same));
    layer->extrudeTriangle(1, 1);
    EXPECT_EQ(layer->polygons.size(), 8u);
    EXPECT_TRUE(std::isnan(layer->points.back()->position.x));
}

TEST_F(OneTriangle, ExtrudeRequiresATriangleAndAValidId) {
    EXPECT_DEATH(layer->extrudeTriangle(3, 1), "Layer.extrudeTriangle.*polygon id 3 out of range for 1");
    const auto d = Point::make(1, 1, 0);
    layer->points.push_back(d);
    layer->polygons.push_back(Quad::make(A, B, d, E));
    EXPECT_DEATH(layer->extrudeTriangle(1, 1), "Layer.extrudeTriangle.*polygon id 1 is not a triangle");
}

// --- splitTriangle(id:onEdgeId:t:) ---

TEST_F(OneTriangle, SplitOneEdge) {
    layer->splitTriangle(0, 0, 0.25f);
    const PointPtr P = layer->points[3];
    EXPECT_EQ(P->position, Vector3(0.25f, 0, 0));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{A, P, E}, {P, B, E}}));
    // Another edge, with t outside 0 … 1 (not clamped), cutting the first piece.
    layer->splitTriangle(0, 1, 1.5f);
    const PointPtr Q = layer->points[4];
    EXPECT_EQ(Q->position, Vector3(-0.125f, 1.5f, 0));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{P, Q, A}, {P, B, E}, {Q, E, A}}));
}

TEST_F(OneTriangle, SplitAtAnEndMakesAZeroAreaPiece) {
    layer->splitTriangle(0, 0, 0);
    EXPECT_EQ(layer->points[3]->position, A->position);
    EXPECT_NE(layer->points[3], A);
    EXPECT_TRUE(std::isnan(normalOf(layer->polygons[0]).x));
    EXPECT_EQ(layer->polygons.size(), 2u); // nothing removed automatically
}

TEST(LayerSplitTest, OppositeVertexIsTheFirstOffTheEdge) {
    // Triangle (a, a, b) (degenerate by identity): edge 0 is (a, a), the opposite vertex b.
    const auto a = Point::make(0, 0, 0), b = Point::make(0, 1, 0);
    const auto layer = Layer::make({a, b}, {Triangle::make(a, a, b)});
    layer->splitTriangle(0, 0, 0.5f);
    const PointPtr P = layer->points[2];
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{a, P, b}, {P, a, b}}));
}

TEST(LayerSplitTest, NoOppositeVertexStops) {
    const auto a = Point::make(0, 0, 0), b = Point::make(0, 1, 0);
    const auto layer = Layer::make({a, b}, {Triangle::make(a, b, a)});
    EXPECT_DEATH(layer->splitTriangle(0, 0, 0.5f), "Layer.splitTriangle\\(id:onEdgeId:t:\\).*no vertex");
}

TEST_F(OneTriangle, SplitProgrammingErrorsStop) {
    EXPECT_DEATH(layer->splitTriangle(1, 0, 0.5f), "Layer.splitTriangle.*polygon id 1 out of range");
    EXPECT_DEATH(layer->splitTriangle(0, 3, 0.5f), "Layer.splitTriangle.*edge index 3");
    EXPECT_DEATH(layer->splitTriangle(0, -1, 0.5f), "Layer.splitTriangle.*edge index -1");
    const auto d = Point::make(1, 1, 0);
    layer->points.push_back(d);
    layer->polygons.push_back(Quad::make(A, B, d, E));
    EXPECT_DEATH(layer->splitTriangle(1, 0, 0.5f), "not a triangle");
    EXPECT_DEATH(layer->splitTriangle(1, {0, 1}, {0.5f, 0.5f}), "not a triangle");
}

// --- splitTriangle(id:onEdges:t:) ---

TEST_F(OneTriangle, SplitTwoEdges) {
    layer->splitTriangle(0, {0, 1}, {0.5f, 0.5f});
    ASSERT_EQ(layer->points.size(), 5u);
    const PointPtr P = layer->points[3], Q = layer->points[4];
    EXPECT_EQ(P->position, Vector3(0.5f, 0, 0));
    EXPECT_EQ(Q->position, Vector3(0.5f, 0.5f, 0));
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{A, P, E}, {B, Q, P}, {Q, E, P}}));
}

TEST_F(OneTriangle, SplitTwoEdgesSecondEdgeInTheFirstPiece) {
    // i = 0, j = 2: edge E–A stays in piece a = (A, P, E), as its edge 2 (E to A).
    layer->splitTriangle(0, {0, 2}, {0.5f, 0.25f});
    const PointPtr P = layer->points[3], Q = layer->points[4];
    EXPECT_EQ(P->position, Vector3(0.5f, 0, 0));
    EXPECT_EQ(Q->position, Vector3(0, 0.75f, 0)); // t measured from E towards A
    EXPECT_EQ(rings(*layer), (std::vector<Points>{{E, Q, P}, {P, B, E}, {Q, A, P}}));
}

TEST_F(OneTriangle, SplitTwoEdgesEveryPairKeepsAreaAndWinding) {
    const std::pair<int, int> pairs[] = {{0, 1}, {0, 2}, {1, 0}, {1, 2}, {2, 0}, {2, 1}};
    for (const auto& edges : pairs) {
        const auto a = Point::make(0, 0, 0), b = Point::make(2, 0, 0), e = Point::make(0, 2, 0);
        const auto l = Layer::make({a, b, e}, {Triangle::make(a, b, e)});
        const PointPtr verts[3] = {a, b, e};
        l->splitTriangle(0, edges, {0.25f, 0.5f});
        ASSERT_EQ(l->polygons.size(), 3u);
        ASSERT_EQ(l->points.size(), 5u);
        // P lies on edge i at 0.25, Q on edge j at 0.5 (both measured in the edge's direction).
        const auto onEdge = [&](int k, float t) {
            const Vector3 s = verts[k]->position, w = verts[(k + 1) % 3]->position;
            return s + (w - s) * t;
        };
        EXPECT_EQ(l->points[3]->position, onEdge(edges.first, 0.25f));
        EXPECT_EQ(l->points[4]->position, onEdge(edges.second, 0.5f));
        float area = 0;
        for (const auto& p : l->polygons) {
            const auto v = p->verts();
            const Vector3 n = (v[1]->position - v[0]->position).cross(v[2]->position - v[0]->position);
            EXPECT_GT(n.z, 0) << edges.first << "," << edges.second;
            area += n.z / 2;
        }
        EXPECT_FLOAT_EQ(area, 2.0f);
    }
}

TEST_F(OneTriangle, SplitTwoEqualEdgesStops) {
    EXPECT_DEATH(layer->splitTriangle(0, {1, 1}, {0.5f, 0.5f}), "Layer.splitTriangle\\(id:onEdges:t:\\).*equal edge indices \\(1, 1\\)");
    EXPECT_DEATH(layer->splitTriangle(0, {0, 3}, {0.5f, 0.5f}), "out of range");
    EXPECT_DEATH(layer->splitTriangle(2, {0, 1}, {0.5f, 0.5f}), "polygon id 2 out of range for 1");
}

// --- intersections ---

TEST(LayerIntersectionsTest, AscendingIdsAndEqualToTheSingleQuery) {
    // Three stacked copies of the triangle at z = 2, 0, 1 and one off to the side.
    Points points;
    Polygons polygons;
    for (float z : {2.0f, 0.0f, 5.0f, 1.0f}) {
        const float x = z == 5.0f ? 10.0f : 0.0f;
        const auto a = Point::make(x, 0, z), b = Point::make(x + 1, 0, z), c = Point::make(x, 1, z);
        points.insert(points.end(), {a, b, c});
        polygons.push_back(Triangle::make(a, b, c));
    }
    const auto layer = Layer::make(points, polygons);
    const Line ray{{0.2f, 0.3f, -1}, {0.2f, 0.3f, 0}};
    std::vector<size_t> ids;
    for (const auto& [id, x] : layer->intersections(ray)) {
        ids.push_back(id);
        EXPECT_EQ(layer->intersection(id, ray), x);
    }
    EXPECT_EQ(ids, (std::vector<size_t>{0, 1, 3}));
    expectNear(*layer->intersection(0, ray), {0.2f, 0.3f, 2});
    EXPECT_EQ(layer->intersection(2, ray), std::nullopt);
}

// intersections() may batch the work but must hit exactly the faces whose own
// intersection(withLine:) succeeds, with the same positions, including every boundary case.
TEST(LayerIntersectionsTest, SameAsEachTriangleOnRandomAndBoundaryCases) {
    std::mt19937 rng(4242);
    auto pick = [&](std::initializer_list<float> values) {
        return *(values.begin() + std::uniform_int_distribution<size_t>(0, values.size() - 1)(rng));
    };
    std::uniform_real_distribution<float> uniform(-2, 2);
    const float nan = std::nanf("");
    size_t totalHits = 0;
    for (int round = 0; round < 1000; ++round) {
        Points points;
        Polygons polygons;
        const int count = 1 + int(rng() % 40);
        for (int k = 0; k < count; ++k) {
            Vector3 v[3];
            for (auto& p : v) {
                switch (rng() % 4) {
                case 0: p = {uniform(rng), uniform(rng), uniform(rng)}; break;
                case 1: p = {pick({-1, 0, 1}), pick({-1, 0, 1}), pick({0, 1})}; break; // lattice
                case 2: p = {uniform(rng) * 1e-20f, uniform(rng) * 1e-20f, 0}; break;  // tiny
                default: p = {uniform(rng) * 1e18f, uniform(rng), uniform(rng) * 1e-3f}; break;
                }
            }
            if (rng() % 10 == 0) {
                v[2] = v[1]; // coincident positions
            }
            if (rng() % 20 == 0) {
                v[1].y = nan;
            }
            auto a = Point::make(v[0]), b = Point::make(v[1]), c = Point::make(v[2]);
            points.insert(points.end(), {a, b, c});
            polygons.push_back(rng() % 15 == 0 ? Triangle::make(a, a, c) : Triangle::make(a, b, c));
        }
        const auto layer = Layer::make(points, polygons);
        for (int r = 0; r < 20; ++r) {
            Line ray;
            switch (rng() % 7) {
            case 5:
            case 6: { // aimed at a point on an edge of one of the faces: the boundary itself
                const auto v = polygons[rng() % polygons.size()]->verts();
                const int k = int(rng() % 3);
                const Vector3 s0 = v[k]->position, s1 = v[(k + 1) % 3]->position;
                const Vector3 target = s0 + (s1 - s0) * std::uniform_real_distribution<float>(0, 1)(rng);
                ray = {target + Vector3(uniform(rng), uniform(rng), 1 + uniform(rng)), target};
                break;
            }
            case 0: ray = {{uniform(rng), uniform(rng), 3}, {uniform(rng), uniform(rng), -1}}; break;
            case 1: { // through a lattice point, edge midpoint or vertex, straight down
                const float x = pick({-1, -0.5f, 0, 0.5f, 1}), y = pick({-1, -0.5f, 0, 0.5f, 1});
                ray = {{x, y, 2}, {x, y, 1}};
                break;
            }
            case 2: ray = {{uniform(rng), uniform(rng), 0}, {uniform(rng), uniform(rng), 0}}; break; // in plane
            case 3: ray = {{0.1f, 0.2f, 1}, {0.1f + uniform(rng), 0.2f, 1 - 1e-6f}}; break;          // grazing
            default: ray = {{uniform(rng), uniform(rng), uniform(rng)}, {uniform(rng), uniform(rng), uniform(rng)}}; break;
            }
            std::vector<std::pair<size_t, Vector3>> expected;
            for (size_t id = 0; id < polygons.size(); ++id) {
                if (auto x = static_cast<const Triangle&>(*polygons[id]).intersection(ray.first, ray.second)) {
                    expected.emplace_back(id, *x);
                }
            }
            const auto actual = layer->intersections(ray);
            ASSERT_EQ(actual.size(), expected.size()) << "round " << round << " ray " << r;
            for (size_t k = 0; k < actual.size(); ++k) {
                EXPECT_EQ(actual[k].first, expected[k].first);
                EXPECT_EQ(actual[k].second, expected[k].second);
            }
            totalHits += actual.size();
        }
    }
    EXPECT_GT(totalHits, 200u); // the cases do hit
}

TEST_F(OneTriangle, IntersectionQueriesRequireTriangles) {
    EXPECT_DEATH(layer->intersection(1, {{0, 0, 1}, {0, 0, 0}}), "Layer.intersection.*polygon id 1 out of range");
    const auto d = Point::make(1, 1, 0);
    layer->points.push_back(d);
    layer->polygons.push_back(Quad::make(A, B, d, E));
    EXPECT_DEATH(layer->intersections({{0, 0, 1}, {0, 0, 0}}), "Layer.intersections.*polygon id 1 is not a triangle");
}

} // namespace
} // namespace tessel

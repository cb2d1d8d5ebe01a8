// The layer edits on tiny grids and the cube: the ids and layouts they leave, and what they do
// with geometry that has no area or no value. Removal, welding and the plane cut are held to
// their literal references step by step in layer_walk_test.
#include "mesh/intersections.h"
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tessel {
namespace {

Layer grid(std::int64_t h, std::int64_t v) { return *QuadGenerator(h, v).generateLayer(); }

// Grid 1 × 1: points (−½, −½) (½, −½) (−½, ½) (½, ½); faces {0,1,3} {0,3,2}.
TEST(SplitTest, PiecesReplaceTheFaceAndFollowTheLastOne) {
    Layer layer = grid(1, 1);
    EXPECT_EQ(splitTriangle(layer, 0, 1, 0.25f), (std::pair<size_t, size_t>{0, 2}));
    EXPECT_EQ(layer.faces, (std::vector<Triangle>{{1, 4, 0}, {0, 3, 2}, {4, 3, 0}}));
    EXPECT_EQ(layer.positions[4], Vector3(0.5f, -0.25f, 0));

    // The second edge is cut in whichever piece of the first cut holds it.
    const struct {
        std::pair<int, int> edges;
        std::vector<Triangle> faces;
        Vector3 second;
    } cases[] = {
        {{0, 2}, {{3, 5, 4}, {0, 3, 2}, {4, 1, 3}, {5, 0, 4}}, {0.25f, 0.25f, 0}},
        {{0, 1}, {{0, 4, 3}, {0, 3, 2}, {1, 5, 4}, {5, 3, 4}}, {0.5f, -0.25f, 0}},
    };
    for (const auto& c : cases) {
        Layer twice = grid(1, 1);
        splitTriangle(twice, 0, c.edges, {0.5f, 0.25f});
        EXPECT_EQ(twice.faces, c.faces);
        EXPECT_EQ(twice.positions[4], Vector3(0, -0.5f, 0));
        EXPECT_EQ(twice.positions[5], c.second);
    }
}

TEST(ExtrudeTest, CapKeepsTheFaceIdSixSidesAndThreePointsFollow) {
    Layer layer = grid(1, 1);
    EXPECT_TRUE(extrude(layer, 1, 2));
    const std::vector<Triangle> triangles{{0, 1, 3}, {4, 5, 6}, {4, 0, 3}, {4, 3, 5},
                                          {0, 4, 6}, {0, 6, 2}, {3, 2, 5}, {2, 6, 5}};
    const std::vector<Vector3> lifted{{-0.5f, -0.5f, 2}, {0.5f, 0.5f, 2}, {-0.5f, 0.5f, 2}};
    EXPECT_EQ(layer.faces, triangles);
    EXPECT_EQ(std::vector<Vector3>(layer.positions.begin() + 4, layer.positions.end()), lifted);

    // A face without area has no normal to pull along; a face pulled beyond the floats has
    // nowhere to go. Both stay as they are.
    for (const float distance : {1.0f, 3e38f}) {
        Layer layer = grid(1, 1);
        if (distance > 1) {
            for (Vector3& p : layer.positions) {
                p.z = distance;
            }
        } else {
            layer.positions[3] = layer.positions[0];
        }
        const Layer before = layer;
        EXPECT_FALSE(extrude(layer, 1, distance));
        EXPECT_EQ(walk::fault(layer, before), std::nullopt);
    }
}

TEST(PlaneCutTest, RandomCutsOfClosedMeshesAtAnyScaleLeaveThemClosedAndAnotherCutChangesNothing) {
    // Cubes (whole, and with a face subdivided and one extruded) scaled up to 1,000 and moved up to
    // 10,000 from the origin, cut through a corner or anywhere within them.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (int round = 0; round < 600; ++round) {
        Layer layer = *Model::makeCube()->committed();
        if (round % 3 > 0) {
            subdivide(layer, 4);
        }
        if (round % 3 > 1) {
            extrude(layer, 0, 0.5f);
        }
        const float scale = std::pow(10.0f, static_cast<float>(round % 4));
        const Vector3 offset =
            Vector3{unit(random), unit(random), unit(random)} * (round % 8 < 4 ? 0 : 10000);
        for (Vector3& p : layer.positions) {
            p = p * scale + offset;
        }
        const Vector3 normal = Vector3{unit(random), unit(random), unit(random)}.normalized();
        const Vector3 origin =
            round % 2 ? layer.positions[random() % layer.positions.size()]
                      : Vector3{unit(random), unit(random), unit(random)} * scale + offset;
        cutAlongPlane(layer, normal, origin);

        EXPECT_EQ(testing::openEdges(layer), 0u) << round;
        const auto distance = [&](const Vector3& p) {
            return double{normal.x} * (double{p.x} - origin.x) +
                   double{normal.y} * (double{p.y} - origin.y) +
                   double{normal.z} * (double{p.z} - origin.z);
        };
        const double near = 1e-5 * (scale + 10000);
        for (const FaceList::Face t : layer.faces) {
            const double d[] = {distance(layer.positions[t[0]]), distance(layer.positions[t[1]]),
                                distance(layer.positions[t[2]])};
            EXPECT_FALSE(std::min({d[0], d[1], d[2]}) < -near &&
                         std::max({d[0], d[1], d[2]}) > near)
                << round;
        }
        Layer again = layer;
        cutAlongPlane(again, normal, origin);
        EXPECT_EQ(walk::fault(again, layer), std::nullopt) << round;
    }
}

TEST(IntersectionsTest, HitsAscendByFaceIdAtTheirExactPositions) {
    const Layer cube = *Model::makeCube()->committed();
    const struct {
        Line ray;
        std::vector<std::pair<size_t, Vector3>> hits;
    } cases[] = {
        // Down through top and bottom: the bottom, farther away, has the lower id.
        {{{0.25f, 0.5f, 5}, {0.25f, 0.5f, 4}}, {{1, {0.25f, 0.5f, -1}}, {3, {0.25f, 0.5f, 1}}}},
        {{{-5, 0.25f, 0.5f}, {-4, 0.25f, 0.5f}}, {{4, {-1, 0.25f, 0.5f}}, {6, {1, 0.25f, 0.5f}}}},
        // Pointing away from the cube.
        {{{0.25f, 0.5f, 5}, {0.25f, 0.5f, 6}}, {}},
        // Along the diagonal edges of top and bottom: strictly inside neither face.
        {{{0, 0, 5}, {0, 0, 4}}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(intersections(cube, c.ray), c.hits) << c.ray.first;
    }
    // Whatever the direction, a line through a face's centre meets it there.
    const auto& p = cube.positions;
    for (const Vector3 eye :
         {Vector3{5, 0.3f, 0.2f}, {-0.4f, 6, 0.1f}, {0.2f, -0.3f, -7}, {3, 4, 5}, {30, 20, 30}}) {
        for (size_t f = 0; f < cube.faces.size(); ++f) {
            const FaceList::Face t = cube.faces[f];
            const Vector3 centre = triangle::centroid(p[t[0]], p[t[1]], p[t[2]]);
            const auto hits = intersections(cube, {eye, centre});
            EXPECT_TRUE(std::any_of(hits.begin(), hits.end(),
                                    [&](const auto& hit) {
                                        return hit.first == f &&
                                               (hit.second - centre).length() < 1e-5f;
                                    }))
                << eye << " face " << f;
        }
    }
}

} // namespace
} // namespace tessel

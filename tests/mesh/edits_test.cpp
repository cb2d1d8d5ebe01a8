// The geometry of the edits, what the cut keeps of closed meshes, and where rays meet a mesh.
// Every edit's ids, layouts and refusals are held to its literal reference step by step in
// layer_walk_test.
#include "mesh/intersections.h"
#include "support/layer_walk.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace tessel {
namespace {

// A prism on a U (a base from (0, 0) to (3, 1) and two arms up to y = 3, the notch between x = 1
// and 2): two concave faces of eight corners and eight quads, centred on the origin.
Layer prismU() {
    Layer prism{
        {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {2, 3, 0}, {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}},
        FaceList::polygons({{0, 1, 2, 3, 4, 5, 6, 7}}),
        std::nullopt};
    for (Vector3& p : prism.positions) {
        p = (p - Vector3{1.5f, 1.5f, 0.5f}) * (2 / 3.0f);
    }
    extrude(prism, 0, 2 / 3.0f);
    prism.faces.push_back({7, 6, 5, 4, 3, 2, 1, 0});
    return prism;
}

// The geometry the layer walk's reference shares with the edits, held to literal values: a face
// is pulled along its unit normal and split around the mean of its corners; a face without area
// has no normal and stays as it is.
TEST(PolygonEditTest, FacesArePulledAlongTheirNormalAndSplitAroundTheMeanOfTheirCorners) {
    // A notched pentagon (concave at its fourth corner) facing (0, −0.6, 0.8); a triangle and a
    // quad on one line.
    // clang-format off
    const Layer start{{{1, 0, 0}, {3, 0, 0}, {3, 1.6f, 1.2f}, {2, 0.8f, 0.6f}, {1, 0.8f, 0.6f},
                       {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}},
                      FaceList::polygons({{0, 1, 2, 3, 4}, {5, 6, 7}, {5, 6, 7, 8}}), std::nullopt};
    // clang-format on
    Layer layer = start;
    ASSERT_TRUE(extrude(layer, 0, 5));
    for (std::uint32_t k = 0; k < 5; ++k) {
        testing::expectNear(layer.positions[9 + k], start.positions[k] + Vector3{0, -3, 4}, 1e-5f);
    }
    layer = start;
    EXPECT_EQ(subdivide(layer, 0), 9u);
    testing::expectNear(layer.positions[9], {2, 0.64f, 0.48f});
    for (const std::uint32_t face : {1u, 2u}) {
        layer = start;
        EXPECT_FALSE(extrude(layer, face, 1)) << face;
        EXPECT_EQ(walk::fault(layer, start), std::nullopt) << face;
    }
}

TEST(PlaneCutTest, RandomCutsOfClosedMeshesAtAnyScaleLeaveThemClosedAndAnotherCutChangesNothing) {
    // Cubes (whole, and with a face subdivided and one extruded) and prisms on a U (two concave
    // faces of eight corners and eight quads, whole and with a quad extruded), scaled up to 1,000
    // and moved up to 10,000 from the origin, cut through a corner or anywhere within them.
    const Layer prism = prismU();
    ASSERT_EQ(testing::openEdges(prism), 0u);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (int round = 0; round < 600; ++round) {
        Layer layer = round % 2 ? prism : *Model::makeCube()->committed();
        if (round % 3 > 0) {
            subdivide(layer, 4);
        }
        if (round % 3 > 1) {
            extrude(layer, round % 2 ? 5 : 0, 0.5f);
        }
        const float scale = std::pow(10.0f, static_cast<float>(round % 4));
        const Vector3 offset =
            Vector3{unit(random), unit(random), unit(random)} * (round % 8 < 4 ? 0 : 10000);
        for (Vector3& p : layer.positions) {
            p = p * scale + offset;
        }
        const Vector3 normal = Vector3{unit(random), unit(random), unit(random)}.normalized();
        const Vector3 origin =
            round % 4 > 1 ? layer.positions[random() % layer.positions.size()]
                          : Vector3{unit(random), unit(random), unit(random)} * scale + offset;
        cutAlongPlane(layer, normal, origin);

        EXPECT_EQ(testing::openEdges(layer), 0u) << round;
        const auto distance = [&](const Vector3& p) {
            return double{normal.x} * (double{p.x} - origin.x) +
                   double{normal.y} * (double{p.y} - origin.y) +
                   double{normal.z} * (double{p.z} - origin.z);
        };
        const double near = 1e-5 * (scale + 10000);
        for (const FaceList::Face face : layer.faces) {
            double lowest = 0, highest = 0;
            for (const std::uint32_t v : face) {
                lowest = std::min(lowest, distance(layer.positions[v]));
                highest = std::max(highest, distance(layer.positions[v]));
            }
            EXPECT_FALSE(lowest < -near && highest > near) << round;
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

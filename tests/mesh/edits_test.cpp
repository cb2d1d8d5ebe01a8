// The layer edits on tiny meshes: the ids and layouts they leave on polygons, what they do with
// geometry that has no area or no value, and what the cut keeps of closed meshes. Every edit is
// also held to its literal reference step by step in layer_walk_test.
#include "mesh/intersections.h"
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>

namespace tessel {
namespace {

Layer grid(std::int64_t h, std::int64_t v) { return *QuadGenerator(h, v).generateLayer(); }

// A flat outline at z = 0, counter-clockwise seen from above, as one face.
Layer outline(std::initializer_list<Vector3> corners) {
    Layer layer{corners, {}, std::nullopt};
    std::vector<std::uint32_t> ids(corners.size());
    std::iota(ids.begin(), ids.end(), 0u);
    layer.faces.push_back(ids);
    return layer;
}

// A U: a base from (0, 0) to (3, 1) and two arms up to y = 3, the notch between x = 1 and 2.
Layer letterU() {
    return outline(
        {{0, 0, 0}, {3, 0, 0}, {3, 3, 0}, {2, 3, 0}, {2, 1, 0}, {1, 1, 0}, {1, 3, 0}, {0, 3, 0}});
}

TEST(PolygonEditTest, TheFaceIdNamesTheFirstPieceAndTheOthersFollow) {
    // A square beside a notched pentagon (concave at corner 6) over points 0 … 6.
    const auto two = [] {
        return Layer{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {3, 0, 0}, {3, 2, 0}, {2, 1, 0}},
                     FaceList::polygons({{0, 1, 2, 3}, {1, 4, 5, 6, 2}}),
                     std::nullopt};
    };
    const struct {
        const char* edit;
        std::function<void(Layer&)> apply;
        FaceList faces;
        std::vector<Vector3> positions;
    } cases[] = {
        {"extrude the pentagon: its cap, then a four-cornered side per edge",
         [](Layer& l) { EXPECT_TRUE(extrude(l, 1, 2)); },
         FaceList::polygons({{0, 1, 2, 3},
                             {7, 8, 9, 10, 11},
                             {1, 4, 8, 7},
                             {4, 5, 9, 8},
                             {5, 6, 10, 9},
                             {6, 2, 11, 10},
                             {2, 1, 7, 11}}),
         {{0, 0, 0},
          {1, 0, 0},
          {1, 1, 0},
          {0, 1, 0},
          {3, 0, 0},
          {3, 2, 0},
          {2, 1, 0},
          {1, 0, 2},
          {3, 0, 2},
          {3, 2, 2},
          {2, 1, 2},
          {1, 1, 2}}},
        {"subdivide the square: four triangles around its centre",
         [](Layer& l) { EXPECT_EQ(subdivide(l, 0), 7u); },
         FaceList::polygons({{0, 1, 7}, {1, 4, 5, 6, 2}, {1, 2, 7}, {2, 3, 7}, {3, 0, 7}}),
         {{0, 0, 0},
          {1, 0, 0},
          {1, 1, 0},
          {0, 1, 0},
          {3, 0, 0},
          {3, 2, 0},
          {2, 1, 0},
          {0.5f, 0.5f, 0}}},
        {"weld the shared edge: both faces lose a corner, the square becomes a triangle",
         [](Layer& l) {
             EXPECT_EQ(weld(l, std::vector<std::uint32_t>{1, 2}).point, std::optional(5u));
         },
         FaceList::polygons({{0, 5, 1}, {5, 2, 3, 4}}),
         {{0, 0, 0}, {0, 1, 0}, {3, 0, 0}, {3, 2, 0}, {2, 1, 0}, {1, 0.5f, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        Layer layer = two();
        c.apply(layer);
        EXPECT_EQ(layer.faces, c.faces);
        EXPECT_EQ(layer.positions, c.positions);
    }
}

TEST(ExtrudeTest, AFaceWithoutAreaOrPulledBeyondTheFloatsStaysAsItIs) {
    // A face without area has no normal to pull along; a face pulled beyond the floats has
    // nowhere to go.
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

TEST(PlaneCutTest, APolygonSplitsIntoEveryPieceOnEitherSideOfTheLine) {
    // Planes y = h.
    const struct {
        const char* cut;
        Layer layer;
        float height;
        FaceList faces;
        std::vector<Vector3> added;
    } cases[] = {
        {"the U across both arms: four crossed edges, three pieces",
         letterU(),
         2,
         FaceList::polygons({{0, 1, 8, 9, 4, 5, 10, 11}, {8, 2, 3, 9}, {10, 6, 7, 11}}),
         {{3, 2, 0}, {2, 2, 0}, {1, 2, 0}, {0, 2, 0}}},
        {"the U along the notch's floor: its two corners are cut points, not new points",
         letterU(),
         1,
         FaceList::polygons({{0, 1, 8, 4, 5, 9}, {8, 2, 3, 4}, {5, 6, 7, 9}}),
         {{3, 1, 0}, {0, 1, 0}}},
        {"the U along its bottom edge: it touches the plane and stays whole",
         letterU(),
         0,
         letterU().faces,
         {}},
        {"a notched pentagon through its notch: the corner the line touches from inside joins "
         "all three pieces",
         outline({{0, 0, 0}, {4, 0, 0}, {4, 2, 0}, {2, 1, 0}, {0, 2, 0}}),
         1,
         FaceList::polygons({{0, 1, 5, 3, 6}, {5, 2, 3}, {3, 4, 6}}),
         {{4, 1, 0}, {0, 1, 0}}},
        {"a square and a triangle on its crossed edge: one point between them",
         Layer{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0.5f, 0}},
               FaceList::polygons({{0, 1, 2, 3}, {1, 4, 2}}),
               std::nullopt},
         0.5f,
         FaceList::polygons({{0, 1, 5, 6}, {2, 5, 4}, {5, 2, 3, 6}, {5, 1, 4}}),
         {{1, 0.5f, 0}, {0, 0.5f, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cut);
        Layer layer = c.layer;
        const Vector3 normal{0, 1, 0}, origin{0, c.height, 0};
        const size_t faces = facesAddedByCut(layer, normal, origin);
        const size_t triangles = trianglesAddedByCut(layer, normal, origin);
        cutAlongPlane(layer, normal, origin);
        EXPECT_EQ(layer.faces, c.faces);
        EXPECT_EQ(std::vector<Vector3>(layer.positions.begin() + c.layer.positions.size(),
                                       layer.positions.end()),
                  c.added);
        EXPECT_EQ(faces, layer.faces.size() - c.layer.faces.size());
        EXPECT_EQ(triangles, layer.faces.triangleCount() - c.layer.faces.triangleCount());
        const Layer once = layer;
        cutAlongPlane(layer, normal, origin);
        EXPECT_EQ(walk::fault(layer, once), std::nullopt);
    }
}

TEST(PlaneCutTest, RandomCutsOfClosedMeshesAtAnyScaleLeaveThemClosedAndAnotherCutChangesNothing) {
    // Cubes (whole, and with a face subdivided and one extruded) and prisms on a U (two concave
    // faces of eight corners and eight quads, whole and with a quad extruded), scaled up to 1,000
    // and moved up to 10,000 from the origin, cut through a corner or anywhere within them.
    Layer prism = letterU();
    for (Vector3& p : prism.positions) {
        p = (p - Vector3{1.5f, 1.5f, 0.5f}) * (2 / 3.0f);
    }
    extrude(prism, 0, 2 / 3.0f);
    prism.faces.push_back({7, 6, 5, 4, 3, 2, 1, 0});
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

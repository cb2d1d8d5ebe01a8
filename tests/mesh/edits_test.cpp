// The layer edits on tiny grids and the cube: the ids and layouts they leave, and what they do
// with geometry that has no area or no value.
#include "mesh/intersections.h"
#include "support/layer_walk.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessel {
namespace {

Layer grid(std::int64_t h, std::int64_t v) { return *QuadGenerator(h, v).generateLayer(); }

// Grid 2 × 1: points 0 1 2 / 3 4 5 bottom row first; faces {0,1,4} {0,4,3} {1,2,5} {1,5,4}.
TEST(RemoveFacesTest, SurvivorsKeepTheirOrderAndSharedCornersStay) {
    constexpr std::uint32_t X = kRemoved;
    const struct {
        std::vector<std::uint32_t> faces;
        std::vector<Triangle> triangles;
        std::vector<std::uint32_t> remap;
    } cases[] = {
        // Point 3 was used by face 1 alone.
        {{1}, {{0, 1, 3}, {1, 2, 4}, {1, 4, 3}}, {0, 1, 2, X, 3, 4}},
        // Every corner is still used by a face that stays; the repeat changes nothing.
        {{0, 0, 3}, {{0, 4, 3}, {1, 2, 5}}, {0, 1, 2, 3, 4, 5}},
        {{3, 2}, {{0, 1, 3}, {0, 3, 2}}, {0, 1, X, 2, 3, X}},
        {{2, 0, 3, 1}, {}, {X, X, X, X, X, X}},
    };
    const Layer before = grid(2, 1);
    for (const auto& c : cases) {
        Layer layer = before;
        EXPECT_EQ(removeFaces(layer, c.faces), c.remap);
        EXPECT_EQ(layer.triangles, c.triangles);
        EXPECT_EQ(layer.positions.size(), 6 - std::count(c.remap.begin(), c.remap.end(), X));
    }
}

TEST(WeldTest, SharedEdgeCollapsesItsTwoFacesAndTheMergedPointComesLast) {
    Layer layer = grid(2, 1);
    layer.positions.push_back({7, 7, 7}); // used by no face: swept away too
    const std::uint32_t middle[] = {1, 4};
    const Welded welded = weld(layer, middle);
    EXPECT_EQ(welded.point, 4u);
    EXPECT_EQ(welded.remap,
              (std::vector<std::uint32_t>{0, kRemoved, 1, 2, kRemoved, 3, kRemoved, 4}));
    EXPECT_EQ(layer.triangles, (std::vector<Triangle>{{0, 4, 2}, {4, 1, 3}}));
    EXPECT_EQ(layer.positions.back(), Vector3(0, 0, 0));
}

// Grid 1 × 1: points (−½, −½) (½, −½) (−½, ½) (½, ½); faces {0,1,3} {0,3,2}.
TEST(SplitTest, PiecesReplaceTheFaceAndFollowTheLastOne) {
    Layer layer = grid(1, 1);
    EXPECT_EQ(splitTriangle(layer, 0, 1, 0.25f), (std::pair<size_t, size_t>{0, 2}));
    EXPECT_EQ(layer.triangles, (std::vector<Triangle>{{1, 4, 0}, {0, 3, 2}, {4, 3, 0}}));
    EXPECT_EQ(layer.positions[4], Vector3(0.5f, -0.25f, 0));

    // The second edge is cut in whichever piece of the first cut holds it.
    const struct {
        std::pair<int, int> edges;
        std::vector<Triangle> triangles;
        Vector3 second;
    } cases[] = {
        {{0, 2}, {{3, 5, 4}, {0, 3, 2}, {4, 1, 3}, {5, 0, 4}}, {0.25f, 0.25f, 0}},
        {{0, 1}, {{0, 4, 3}, {0, 3, 2}, {1, 5, 4}, {5, 3, 4}}, {0.5f, -0.25f, 0}},
    };
    for (const auto& c : cases) {
        Layer twice = grid(1, 1);
        splitTriangle(twice, 0, c.edges, {0.5f, 0.25f});
        EXPECT_EQ(twice.triangles, c.triangles);
        EXPECT_EQ(twice.positions[4], Vector3(0, -0.5f, 0));
        EXPECT_EQ(twice.positions[5], c.second);
    }
}

TEST(ExtrudeTest, CapKeepsTheFaceIdSixSidesAndThreePointsFollow) {
    Layer layer = grid(1, 1);
    extrude(layer, 1, 2);
    const std::vector<Triangle> triangles{{0, 1, 3}, {4, 5, 6}, {4, 0, 3}, {4, 3, 5},
                                          {0, 4, 6}, {0, 6, 2}, {3, 2, 5}, {2, 6, 5}};
    const std::vector<Vector3> lifted{{-0.5f, -0.5f, 2}, {0.5f, 0.5f, 2}, {-0.5f, 0.5f, 2}};
    EXPECT_EQ(layer.triangles, triangles);
    EXPECT_EQ(std::vector<Vector3>(layer.positions.begin() + 4, layer.positions.end()), lifted);
}

TEST(PlaneCutTest, CutAcrossAGridWeldsThePointsOfNeighbouringSplits) {
    // Both faces are split where x = 0 crosses them; their splits meet at the centre.
    Layer layer = grid(1, 1);
    PointMergeMemo memo;
    cutAlongPlane(layer, {1, 0, 0}, {0, 0, 0}, memo);
    std::vector<Vector3> positions = grid(1, 1).positions;
    positions.insert(positions.end(), {{0, -0.5f, 0}, {0, 0.5f, 0}, {0, 0, 0}});
    const std::vector<Triangle> triangles{{3, 6, 4}, {0, 6, 2}, {4, 1, 3},
                                          {6, 0, 4}, {3, 5, 6}, {5, 2, 6}};
    EXPECT_EQ(layer.positions, positions);
    EXPECT_EQ(layer.triangles, triangles);

    // Through two corners and across the diagonal between them: each face has a corner on the
    // plane and its opposite edge crossed, three crossings, and is left whole.
    Layer through = grid(1, 1);
    PointMergeMemo fresh;
    cutAlongPlane(through, Vector3{1, 1, 0}.normalized(), {0, 0, 0}, fresh);
    EXPECT_EQ(through.positions, grid(1, 1).positions);
    EXPECT_EQ(through.triangles, grid(1, 1).triangles);
}

TEST(PointMergeTest, AMergeWithAMemoEqualsOneWithout) {
    // A 2 × 1 grid's six points settled, and a seventh added just beside point 0.
    const auto withPointBesideTheFirst = [](const Vector3& first) {
        Layer layer = grid(2, 1);
        layer.positions[0] = first;
        layer.positions.push_back(first + Vector3{1e-7f, 0, 0});
        layer.triangles.push_back({6, 2, 5});
        return layer;
    };
    // The first merge makes the memo and the second uses it; for the third, point 0 has moved.
    PointMergeMemo memo;
    for (const Vector3 first : {Vector3{-0.5f, -0.5f, 0}, {-0.5f, -0.5f, 0}, {-0.5f, 0.5f, 1}}) {
        Layer layer = withPointBesideTheFirst(first);
        Layer expected = layer;
        mergeCoincidentPoints(layer, 6, memo);
        mergeCoincidentPoints(expected);
        EXPECT_EQ(layer.positions.size(), 6u);
        EXPECT_EQ(walk::fault(layer, expected), std::nullopt) << first;
    }
}

TEST(PointMergeTest, APointMergedNearAnEarlierPointLeavesItWhereItWas) {
    // Points 0 and 1 stand just beyond the merge distance r of each other; the added point 4 lies
    // within r of point 1 alone, and the two merge at a point within r of point 0. Point 0 took its
    // turn before, near nothing, and stays.
    constexpr float r = 5e-7f;
    Layer layer = grid(1, 1);
    layer.positions[0] = {0, 0, 0};
    layer.positions[1] = {-0.45f * r, 0.9f * r, 0};
    layer.positions.push_back({0.45f * r, 0.9f * r, 0});
    layer.triangles.push_back({4, 2, 3});
    Layer expected = layer;
    walk::reference::mergeCoincidentPoints(expected);
    PointMergeMemo memo;
    for (int twice = 0; twice < 2; ++twice) {
        Layer merged = layer;
        mergeCoincidentPoints(merged, 4, memo);
        EXPECT_EQ(walk::fault(merged, expected), std::nullopt);
    }
}

TEST(PointMergeTest, PointsOnEitherSideOfASearchCellsEdgeAreFound) {
    // 1/32 lies exactly on an edge of the cells points are searched in; the second point, 1e-7
    // below it, in the cell below.
    Layer layer = grid(1, 1);
    layer.positions[0] = {0.03125f, 0, 0};
    layer.positions[1] = {0.03125f - 1e-7f, 0, 0};
    Layer expected = layer;
    mergeCoincidentPoints(layer);
    walk::reference::mergeCoincidentPoints(expected);
    EXPECT_EQ(layer.positions.size(), 3u);
    EXPECT_EQ(walk::fault(layer, expected), std::nullopt);
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
        for (size_t f = 0; f < cube.triangles.size(); ++f) {
            const Triangle& t = cube.triangles[f];
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

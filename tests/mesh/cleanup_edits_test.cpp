// Mirror, merge by distance, dissolve and the delete variants on small exact meshes, and every one
// of them keeping the layer's invariants whatever it is given.
#include "mesh/crease.h"
#include "mesh/dissolve.h"
#include "mesh/duplicate.h"
#include "mesh/layer_change.h"
#include "mesh/merge_by_distance.h"
#include "mesh/mirror.h"
#include "mesh/model.h"
#include "mesh/polygon.h"
#include "mesh/removal.h"
#include "mesh/weld.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

// n × m four-cornered faces over the unit square; point (i, j) is j · (n + 1) + i.
Layer quadGrid(int n, int m) { return *QuadGenerator(n, m).generateQuadLayer(); }

// The unit quad with its left edge on x = 0 and its bottom edge on y = 0, facing +z.
Layer unitQuad() {
    return {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
            FaceList::polygons({{0, 1, 2, 3}}),
            std::nullopt};
}

TEST(MirrorTest, CopiesFaceOutwardAndSharesTheSeamWhenWelding) {
    struct Case {
        int axis;
        bool weld;
        size_t points;
        std::vector<std::uint32_t> copy; // empty: no face added
        Vector3 normal;
    };
    const Case cases[] = {
        {0, false, 8, {4, 7, 6, 5}, {0, 0, 1}},
        {0, true, 6, {0, 3, 5, 4}, {0, 0, 1}},
        {1, true, 6, {0, 5, 4, 1}, {0, 0, 1}},
        {2, false, 8, {4, 7, 6, 5}, {0, 0, -1}},
        {2, true, 4, {}, {}}, // every corner on the seam
        {3, false, 4, {}, {}},
    };
    for (const Case& c : cases) {
        Layer layer = unitQuad();
        const std::vector<std::uint32_t> added = mirrorFaces(layer, {}, c.axis, c.weld, 0);
        EXPECT_EQ(layer.positions.size(), c.points) << c.axis << c.weld;
        EXPECT_EQ(faultOf(layer), "");
        ASSERT_EQ(added.size(), c.copy.empty() ? 0u : 1u) << c.axis << c.weld;
        if (!added.empty()) {
            const FaceList::Face face = layer.faces[added[0]];
            EXPECT_EQ(std::vector(face.begin(), face.end()), c.copy) << c.axis << c.weld;
            testing::expectNear(polygon::normal(layer.positions, face), c.normal);
        }
    }
    Layer layer = unitQuad();
    mirrorFaces(layer, {}, 0, false, 0);
    testing::expectNear(layer.positions[5], {-1, 0, 0}, 0);
    // A closed cube and its image are two closed surfaces; ids past the end are skipped.
    Layer cube = *Model::makeCube()->committed();
    const std::uint32_t chosen[] = {0, 0, 99};
    EXPECT_EQ(mirrorFaces(cube, chosen, 1, false, 0).size(), 1u);
    cube = *Model::makeCube()->committed();
    EXPECT_EQ(mirrorFaces(cube, {}, 0, true, 1e-4f).size(), 12u);
    EXPECT_EQ(testing::openEdges(cube), 0u);
    EXPECT_EQ(cube.positions.size(), 16u);
}

TEST(MergeByDistanceTest, CoincidentCopiesBecomeOneAndReachIsNotChained) {
    // Two copies of a grid, the second lifted by 1e-4 and listed with the first.
    const Layer grid = quadGrid(2, 2);
    Layer doubled = grid;
    for (const Vector3& p : grid.positions) {
        doubled.positions.push_back(p + Vector3{0, 0, 1e-4f});
    }
    for (const FaceList::Face face : grid.faces) {
        std::vector<std::uint32_t> shifted(face.begin(), face.end());
        for (std::uint32_t& v : shifted) {
            v += 9;
        }
        doubled.faces.push_back(shifted);
    }
    Layer layer = doubled;
    EXPECT_EQ(mergeByDistance(layer, {}, 1e-3f), 9u);
    EXPECT_EQ(layer.positions, grid.positions);
    EXPECT_EQ(layer.faces, grid.faces);
    // Only the first row of each copy listed: three points go, the faces over them stay.
    layer = doubled;
    const std::int64_t rows[] = {0, 1, 2, 9, 10, 11, -1, 99};
    EXPECT_EQ(mergeByDistance(layer, rows, 1e-3f), 3u);
    EXPECT_EQ(layer.faces.size(), 8u);
    EXPECT_EQ(faultOf(layer), "");
    layer = doubled;
    EXPECT_EQ(mergeByDistance(layer, {}, 1e-5f), 0u);
    EXPECT_EQ(layer.positions.size(), 18u);

    // Loose points 0.8 apart in a row: the first takes the second only. A thin triangle loses
    // its face and, no face using it any more, its third corner.
    Layer loose{{{0, 0, 0}, {0.8f, 0, 0}, {1.6f, 0, 0}}, {}, std::nullopt};
    EXPECT_EQ(mergeByDistance(loose, {}, 1), 1u);
    EXPECT_EQ(loose.positions, (std::vector<Vector3>{{0, 0, 0}, {1.6f, 0, 0}}));
    Layer thin{{{5, 5, 5}, {0, 0, 0}, {0.5f, 0, 0}, {0, 9, 0}},
               FaceList::polygons({{1, 2, 3}}),
               std::nullopt};
    EXPECT_EQ(mergeByDistance(thin, {}, 1), 3u);
    EXPECT_EQ(thin.positions, (std::vector<Vector3>{{5, 5, 5}}));
    EXPECT_TRUE(thin.faces.empty());
}

TEST(DissolveTest, JoinsFacesOverTheirOutline) {
    struct Case {
        const char* name;
        int n;
        int m;
        std::vector<Edge> edges;
        std::vector<std::int64_t> points;
        size_t pointsLeft;
        FaceList faces;
    };
    const Case cases[] = {
        {"row's inner edges",
         3,
         1,
         {{1, 5}, {6, 2}},
         {},
         8,
         FaceList::polygons({{0, 1, 2, 3, 7, 6, 5, 4}})},
        {"grid's inner edges",
         2,
         2,
         {{1, 4}, {3, 4}, {4, 5}, {4, 7}, {4, 7}},
         {},
         8,
         FaceList::polygons({{0, 1, 2, 4, 7, 6, 5, 3}})},
        // The fourth inner edge lies between faces already joined, and goes as well.
        {"three of them",
         2,
         2,
         {{1, 4}, {3, 4}, {4, 5}},
         {},
         8,
         FaceList::polygons({{0, 1, 2, 4, 7, 6, 5, 3}})},
        {"border edge", 2, 2, {{0, 1}, {0, 9}}, {}, 9, quadGrid(2, 2).faces},
        {"centre point", 2, 2, {}, {4}, 8, FaceList::polygons({{0, 1, 2, 4, 7, 6, 5, 3}})},
        {"corner point",
         2,
         2,
         {},
         {0, 0, 99},
         8,
         FaceList::polygons({{0, 3, 2}, {0, 1, 4, 3}, {2, 3, 6, 5}, {3, 4, 7, 6}})},
        {"border point",
         2,
         2,
         {},
         {1},
         8,
         FaceList::polygons({{0, 1, 4, 3, 2}, {2, 3, 6, 5}, {3, 4, 7, 6}})},
    };
    for (const Case& c : cases) {
        Layer layer = quadGrid(c.n, c.m);
        if (c.points.empty()) {
            dissolveEdges(layer, c.edges);
        } else {
            dissolvePoints(layer, c.points);
        }
        EXPECT_EQ(layer.positions.size(), c.pointsLeft) << c.name;
        EXPECT_EQ(layer.faces, c.faces) << c.name;
        EXPECT_EQ(faultOf(layer), "") << c.name;
    }
    // Refused: a triangle's corner, a point where two triangles only touch, the edges of a
    // closed cube, which leave no outline.
    const Layer bowtie{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {-1, 0, 0}, {-1, -1, 0}},
                       FaceList::polygons({{0, 1, 2}, {0, 3, 4}}),
                       std::nullopt};
    for (const std::int64_t point : {1, 0}) {
        Layer layer = bowtie;
        EXPECT_TRUE(dissolvePoints(layer, {&point, 1}).empty()) << point;
        EXPECT_EQ(layer.faces, bowtie.faces) << point;
    }
    Layer cube = *Model::makeCube()->committed();
    std::vector<Edge> all;
    for (const FaceList::Face face : cube.faces) {
        for (size_t k = 0; k < face.size(); ++k) {
            all.push_back(Edge::between(face[k], face[(k + 1) % face.size()]));
        }
    }
    EXPECT_TRUE(dissolveEdges(cube, all).empty());
    EXPECT_EQ(cube.faces, Model::makeCube()->committed()->faces);
}

TEST(RemovalTest, DeleteVariantsKeepWhatTheySay) {
    struct Case {
        const char* name;
        std::vector<std::int64_t> points;
        std::vector<Edge> edges;
        std::vector<std::uint32_t> faces;
        size_t pointsLeft;
        size_t facesLeft;
    };
    const Case cases[] = {
        {"centre point", {4, 4, -3}, {}, {}, 8, 0},
        {"corner point", {0}, {}, {}, 8, 3},
        {"inner edge", {}, {{4, 1}}, {}, 6, 2},
        {"no such edge", {}, {{0, 4}, {2, 2}, {0, 99}}, {}, 9, 4},
        {"faces only", {}, {}, {0, 0, 3, 99}, 9, 2},
    };
    for (const Case& c : cases) {
        Layer layer = quadGrid(2, 2);
        if (!c.points.empty()) {
            removePoints(layer, c.points);
        } else if (!c.edges.empty()) {
            removeEdges(layer, c.edges);
        } else {
            EXPECT_EQ(removeFacesOnly(layer, c.faces), 4 - c.facesLeft);
        }
        EXPECT_EQ(layer.positions.size(), c.pointsLeft) << c.name;
        EXPECT_EQ(layer.faces.size(), c.facesLeft) << c.name;
        EXPECT_EQ(faultOf(layer), "") << c.name;
    }
    Layer layer = quadGrid(2, 2);
    const std::int64_t corner[] = {0};
    removePoints(layer, corner);
    EXPECT_EQ(layer.faces, FaceList::polygons({{0, 1, 4, 3}, {2, 3, 6, 5}, {3, 4, 7, 6}}));
}

// Creases name points: removals renumber them and drop those that lose a point, a weld moves them
// to the merged point and drops those it closes up, copies copy them; undo and redo give them back.
TEST(RemovalTest, CreasesFollowTheirPoints) {
    Layer layer = quadGrid(2, 2);
    const Edge edges[] = {{0, 1}, {1, 4}, {4, 5}, {5, 8}};
    setCreases(layer, edges, 0.5f);
    const Edge sharp[] = {{7, 8}};
    setCreases(layer, sharp, 1);
    const Layer before = layer;
    const std::int64_t corner[] = {0};
    removePoints(layer, corner);
    EXPECT_EQ(layer.creases,
              (std::vector<Crease>{{0, 3, 0.5f}, {3, 4, 0.5f}, {4, 7, 0.5f}, {6, 7, 1}}));
    const std::uint32_t joined[] = {3, 4};
    weld(layer, joined);
    // 3 and 4 become the new point, last (6 once they go): the crease between them goes.
    EXPECT_EQ(layer.creases, (std::vector<Crease>{{0, 6, 0.5f}, {4, 5, 1}, {5, 6, 0.5f}}));
    // Copied faces copy the creases of their edges.
    Layer copied = layer;
    const std::uint32_t all[] = {0, 1, 2};
    duplicateFaces(copied, all);
    EXPECT_EQ(copied.creases.size(), 2 * layer.creases.size());
    const LayerChange change = LayerChange::between(before, layer);
    EXPECT_FALSE(change.isEmpty());
    EXPECT_EQ(change.undone(layer)->creases, before.creases);
    EXPECT_EQ(change.redone(before)->creases, layer.creases);
}

TEST(CleanupEditsTest, AnyIdsOnAnyMeshKeepTheInvariants) {
    // Meshes with borders, a closed one, non-manifold edges (three faces on one edge, faces
    // facing apart), an n-gon, loose points and an empty layer, given random ids, many past the
    // end.
    Layer odd{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {2, 2, 2}, {1, 1, 0}},
              FaceList::polygons({{0, 1, 2}, {1, 0, 3}, {0, 1, 4}, {1, 2, 6}, {0, 2, 1, 6, 3}}),
              std::nullopt};
    const Layer meshes[] = {quadGrid(3, 3), *QuadGenerator(3, 2).generateLayer(),
                            *Model::makeCube()->committed(), odd, Layer{}};
    std::mt19937 random(5);
    for (int round = 0; round < 600; ++round) {
        Layer layer = meshes[round % 5];
        const auto below = static_cast<std::uint32_t>(layer.positions.size() + 3);
        std::uniform_int_distribution<std::uint32_t> id(0, below);
        std::vector<std::int64_t> points;
        std::vector<Edge> edges;
        std::vector<std::uint32_t> faces;
        for (int k = round % 7; k > 0; --k) {
            points.push_back(id(random));
            edges.push_back({id(random), id(random)});
            faces.push_back(id(random) % static_cast<std::uint32_t>(layer.faces.size() + 2));
        }
        switch (round / 5 % 7) {
        case 0: mirrorFaces(layer, faces, round % 3, round % 2, 0.5f); break;
        case 1: mergeByDistance(layer, points, static_cast<float>(round % 4) * 0.5f); break;
        case 2: dissolveEdges(layer, edges); break;
        case 3: dissolvePoints(layer, points); break;
        case 4: removePoints(layer, points); break;
        case 5: removeEdges(layer, edges); break;
        default: removeFacesOnly(layer, faces); break;
        }
        ASSERT_EQ(faultOf(layer), "") << round;
    }
}

} // namespace
} // namespace tessel

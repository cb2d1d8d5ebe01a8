// The edits of selected faces as a region: extrude, inset, flip, outward, duplicate.
#include "mesh/duplicate.h"
#include "mesh/extrude.h"
#include "mesh/inset.h"
#include "mesh/model.h"
#include "mesh/orientation.h"
#include "mesh/region.h"
#include "mesh/region_extrude.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace tessel {
namespace {

using Ids = std::vector<std::uint32_t>;

// 2 × 2 cells of side 0.5 facing +z: faces {0 1 4 3} {1 2 5 4} {3 4 7 6} {4 5 8 7}, centre point 4.
Layer grid2() { return *QuadGenerator(2, 2).generateQuadLayer(); }
Layer cube() { return *Model::makeCube()->committed(); }

Ids cornersOf(const Layer& layer, std::size_t face) {
    return {layer.faces[face].begin(), layer.faces[face].end()};
}

void expectSame(const Layer& actual, const Layer& expected) {
    EXPECT_EQ(actual.faces, expected.faces);
    EXPECT_EQ(actual.positions, expected.positions);
}

TEST(RegionExtrudeTest, NeighboursShareTheirEdgeAndOnlyTheBorderGetsWalls) {
    const struct {
        const char* region;
        Layer mesh;
        Ids faces;
        std::size_t points, walls, openEdges;
        Ids cap;
        Vector3 normal;
    } cases[] = {
        // clang-format off
        // The centre point is the cap's alone: it keeps its id and moves with it.
        {"whole grid", grid2(), {0, 1, 2, 3}, 17, 8, 8, {9, 10, 4, 11, 12, 13, 14, 15, 16}, {0, 0, 1}},
        // Stale ids and repeats are skipped.
        {"two cells", grid2(), {0, 1, 0, 99}, 15, 6, 8, {9, 10, 11, 12, 13, 14}, {0, 0, 1}},
        // Cells meeting at a corner share its one copy (an edge of four walls: not counted as
        // closed).
        {"diagonal", grid2(), {0, 3}, 16, 8, 10, {9, 10, 11, 12, 13, 14, 15}, {0, 0, 1}},
        {"nothing", grid2(), {}, 9, 0, 8, {}, {0, 0, 0}},
        // A closed mesh stays closed.
        {"cube's bottom", cube(), {0, 1}, 12, 4, 0, {8, 9, 10, 11}, {0, 0, -1}},
        // No border and no direction: nothing to add, and nothing to move along.
        {"closed", cube(), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 8, 0, 0, {2, 1, 0, 3, 5, 6, 4, 7},
         {0, 0, 0}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.region);
        Layer layer = c.mesh;
        const ExtrudedRegion extruded = extrudeRegion(layer, c.faces);
        EXPECT_EQ(extruded.points, c.cap);
        testing::expectNear(extruded.normal, c.normal);
        ASSERT_TRUE(offsetPoints(layer, extruded.points, extruded.normal * 0.5f));
        EXPECT_EQ(faultOf(layer), "");
        EXPECT_EQ(layer.positions.size(), c.points);
        EXPECT_EQ(layer.faces.size(), c.mesh.faces.size() + c.walls);
        EXPECT_EQ(testing::openEdges(layer), c.openEdges);
    }
    // The whole grid's layout: caps keep their ids, walls follow face by face in corner order.
    Layer layer = grid2();
    extrudeRegion(layer, Ids{0, 1, 2, 3});
    EXPECT_EQ(cornersOf(layer, 3), (Ids{4, 13, 16, 14}));
    EXPECT_EQ(cornersOf(layer, 4), (Ids{0, 1, 10, 9}));
    // One face comes out exactly as extrude() makes it, a triangle with quads for walls.
    for (const std::uint32_t face : {0u, 3u}) {
        Layer single = grid2(), region = grid2();
        extrude(single, face, 0.25f);
        const ExtrudedRegion extruded = extrudeRegion(region, Ids{face});
        offsetPoints(region, extruded.points, extruded.normal * 0.25f);
        expectSame(region, single);
    }
    Layer triangle = cube();
    extrudeRegion(triangle, Ids{0});
    EXPECT_EQ(triangle.faces.size(), 15u);
    EXPECT_EQ(cornersOf(triangle, 12), (Ids{2, 1, 9, 8}));
}

TEST(InsetTest, CornersMoveAlongTheirBisectorsWithinTheFacesPlanes) {
    const Layer square{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                       FaceList::polygons({{0, 1, 2, 3}}),
                       std::nullopt};
    Layer squares = square;
    duplicateFaces(squares, Ids{0});
    for (std::size_t k = 4; k < 8; ++k) {
        squares.positions[k] = squares.positions[k] * 0.2f + Vector3{2, 0, 0};
    }
    // A quad on the floor and one standing on its far edge, leaning out at its top: a region
    // folded at a right angle.
    const Layer fold{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {1.5f, 1, 1}, {0, 1, 1}},
                     FaceList::polygons({{0, 1, 2, 3}, {3, 2, 4, 5}}),
                     std::nullopt};
    const struct {
        const char* inset;
        Layer mesh;
        Ids faces;
        float thickness;
        bool asRegion;
        std::vector<Vector3> added;
    } cases[] = {
        // clang-format off
        {"square", square, {0}, 0.1f, false,
         {{0.1f, 0.1f, 0}, {0.9f, 0.1f, 0}, {0.9f, 0.9f, 0}, {0.1f, 0.9f, 0}}},
        {"negative", square, {0}, -1, false, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}},
        {"not a number", square, {0}, NAN, false, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}},
        // The small square's sides shrink to nothing at 0.1: that clamps it alone, or the region.
        {"each face clamped alone", squares, {0, 1}, 0.3f, false,
         {{0.3f, 0.3f, 0}, {0.7f, 0.3f, 0}, {0.7f, 0.7f, 0}, {0.3f, 0.7f, 0},
          {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}}},
        {"a region clamped as a whole", squares, {0, 1}, 0.3f, true,
         {{0.1f, 0.1f, 0}, {0.9f, 0.1f, 0}, {0.9f, 0.9f, 0}, {0.1f, 0.9f, 0},
          {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}, {2.1f, 0.1f, 0}}},
        // The border of the whole grid moves in, the centre point stays.
        {"grid as a region", grid2(), {0, 1, 2, 3}, 0.1f, true,
         {{-0.4f, -0.4f, 0}, {0, -0.4f, 0}, {-0.4f, 0, 0}, {0.4f, -0.4f, 0}, {0.4f, 0, 0},
          {0, 0.4f, 0}, {-0.4f, 0.4f, 0}, {0.4f, 0.4f, 0}}},
        // Points on the fold slide along it, staying in both faces' planes: the one under the
        // leaning side by 1 − 2 / √5, 0.1 from the lines of its two sides on average.
        {"fold as a region", fold, {0, 1}, 0.1f, true,
         {{0.1f, 0.1f, 0}, {0.9f, 0.1f, 0}, {0.8944272f, 1, 0}, {0.1f, 1, 0},
          {1.3381966f, 1, 0.9f}, {0.1f, 1, 0.9f}}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inset);
        Layer layer = c.mesh;
        insetFaces(layer, c.faces, c.thickness, c.asRegion);
        EXPECT_EQ(faultOf(layer), "");
        ASSERT_EQ(layer.positions.size(), c.mesh.positions.size() + c.added.size());
        for (std::size_t k = 0; k < c.added.size(); ++k) {
            testing::expectNear(layer.positions[c.mesh.positions.size() + k], c.added[k]);
        }
        EXPECT_EQ(testing::openEdges(layer), testing::openEdges(c.mesh));
    }
    // Face by face: extrude()'s layout. As a region, cells meeting at a corner each get their own
    // copy of it.
    Layer layer = square;
    insetFaces(layer, Ids{0}, 0.1f, false);
    EXPECT_EQ(
        layer.faces,
        FaceList::polygons({{4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}}));
    for (const bool asRegion : {false, true}) {
        layer = grid2();
        insetFaces(layer, Ids{0, 3}, 0.1f, asRegion);
        EXPECT_EQ(layer.positions.size(), 17u);
        EXPECT_EQ(layer.faces.size(), 12u);
        testing::expectNear(layer.positions[11], {-0.1f, -0.1f, 0});
        testing::expectNear(layer.positions[13], {0.1f, 0.1f, 0});
    }
}

TEST(OrientationTest, FlipKeepsTheFirstCornerAndOutwardUndoesAnyFlips) {
    Layer layer = grid2();
    flipFaces(layer, Ids{1, 1, 9});
    EXPECT_EQ(cornersOf(layer, 1), (Ids{1, 4, 5, 2}));
    flipFaces(layer, Ids{1});
    expectSame(layer, grid2());

    // Random flips of a closed mesh far from the origin, and the whole of it inside out.
    Layer far = cube();
    for (Vector3& p : far.positions) {
        p += {1000, -2000, 500};
    }
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        Ids flipped;
        for (std::uint32_t f = 0; f < 12; ++f) {
            if (round == 0 || random() % 2) {
                flipped.push_back(f);
            }
        }
        layer = far;
        flipFaces(layer, flipped);
        EXPECT_EQ(orientOutward(layer, {}), flipped) << round;
        expectSame(layer, far);
    }
    // An open box inside out is turned out; its lid, not listed, stays as it is. A flat piece
    // takes its first face's direction.
    layer = cube();
    flipFaces(layer, Ids{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_EQ(orientOutward(layer, Ids{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}),
              (Ids{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    flipFaces(layer, Ids{10, 11});
    expectSame(layer, cube());
    layer = grid2();
    flipFaces(layer, Ids{1, 2});
    EXPECT_EQ(orientOutward(layer, {}), (Ids{1, 2}));
}

TEST(DuplicateTest, CopiesShareOnlyEachOthersPoints) {
    Layer layer = grid2();
    const Duplicated copies = duplicateFaces(layer, Ids{3, 0, 3, 50});
    EXPECT_EQ(copies.faces, (Ids{4, 5}));
    EXPECT_EQ(copies.points, (Ids{9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(cornersOf(layer, 4), (Ids{9, 10, 11, 12}));
    EXPECT_EQ(cornersOf(layer, 5), (Ids{13, 14, 9, 15}));
    EXPECT_EQ(layer.positions[9], layer.positions[4]);
    EXPECT_EQ(layer.positions[15], layer.positions[3]);
}

TEST(RegionEditsTest, AnySelectionOfAnyMeshKeepsTheLayerSound) {
    // Triangles, quads, a fin of three faces on one edge, a face without area, a point no face
    // uses, and faces touching at a point only.
    Layer odd{{{0, 0, 0},
               {1, 0, 0},
               {1, 1, 0},
               {0, 1, 0},
               {0, 0, 1},
               {2, 2, 2},
               {3, 3, 3},
               {5, 5, 5},
               {1, -1, 0},
               {2, 0, 0},
               {7, 7, 7}},
              FaceList::polygons({{0, 1, 2, 3}, {1, 0, 4}, {0, 1, 5}, {5, 6, 7}, {1, 8, 9}}),
              std::nullopt};
    const Layer meshes[] = {cube(), *QuadGenerator(3, 3).generateQuadLayer(), odd};
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        const Layer& mesh = meshes[round % 3];
        Ids faces;
        for (std::uint32_t k = random() % 8; k > 0; --k) {
            faces.push_back(static_cast<std::uint32_t>(random() % (mesh.faces.size() + 2)));
        }
        const std::size_t bound = mesh.faces.triangleCount() + sideTrianglesBound(mesh, faces);
        const float amount = round % 5 == 0 ? 1e30f : static_cast<float>(random() % 100) / 50;
        Layer layer = mesh;
        const ExtrudedRegion extruded = extrudeRegion(layer, faces);
        offsetPoints(layer, extruded.points, extruded.normal * amount);
        EXPECT_EQ(faultOf(layer), "") << round;
        EXPECT_LE(layer.faces.triangleCount(), bound) << round;
        for (const bool asRegion : {false, true}) {
            layer = mesh;
            insetFaces(layer, faces, amount, asRegion);
            EXPECT_EQ(faultOf(layer), "") << round;
            EXPECT_LE(layer.faces.triangleCount(), bound) << round;
            for (const Vector3& p : layer.positions) {
                EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
            }
        }
        layer = mesh;
        orientOutward(layer, faces);
        EXPECT_EQ(faultOf(layer), "") << round;
        layer = mesh;
        duplicateFaces(layer, faces);
        EXPECT_EQ(faultOf(layer), "") << round;
        EXPECT_EQ(layer.faces.triangleCount(),
                  mesh.faces.triangleCount() + trianglesOfFaces(mesh, distinctFaces(mesh, faces)));
    }
}

} // namespace
} // namespace tessel

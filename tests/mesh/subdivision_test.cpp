// Smooth subdivision: counts, the rules at boundaries and in the interior, and the stored weights
// agreeing with refinement level by level.
#include "mesh/crease.h"
#include "mesh/model.h"
#include "mesh/primitives.h"
#include "mesh/subdivision.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

// The 2-unit box centred on the origin: eight corners, six quads facing outward.
Layer box() { return *makeBoxLayer(2); }

// A 2 × 2 grid of quads in z = 0 from (0, 0) to (2, 2), its middle point (id 4) raised to z = 1.
Layer tent() {
    Layer grid{{},
               FaceList::polygons({{0, 1, 4, 3}, {1, 2, 5, 4}, {3, 4, 7, 6}, {4, 5, 8, 7}}),
               std::nullopt};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            grid.positions.push_back({float(x), float(y), x == 1 && y == 1 ? 1.0f : 0.0f});
        }
    }
    return grid;
}

TEST(SubdivisionTest, ABoxOfQuadsRefinesToQuadsInsideItsCorners) {
    const Layer cage = box();
    ASSERT_EQ(subdivisionSchemeOf(cage), SubdivisionScheme::CatmullClark);
    for (const auto& [level, points, faces] : {std::tuple{1, 26u, 24u}, {2, 98u, 96u}}) {
        const Layer smooth = subdivisionSurface(cage, level);
        EXPECT_EQ(smooth.positions.size(), points);
        ASSERT_EQ(smooth.faces.size(), faces);
        EXPECT_EQ(smooth.faces.uniformCount(), 4u);
        EXPECT_EQ(subdivisionTriangles(cage, level), smooth.faces.triangleCount());
        EXPECT_FALSE(testing::hasBrokenFace(smooth));
        EXPECT_EQ(testing::openEdges(smooth), 0u);
        for (const Vector3& p : smooth.positions) {
            EXPECT_LE(std::max({std::abs(p.x), std::abs(p.y), std::abs(p.z)}), 1.0f);
        }
    }
    // A cube corner (valence 3): (Q + 2R + 0·S) / 3 with Q = 1/3 and R = 2/3 of the corner.
    testing::expectNear(subdivisionSurface(cage, 1).positions[6], {5 / 9.0f, 5 / 9.0f, 5 / 9.0f});
}

TEST(SubdivisionTest, AnOpenGridKeepsItsBorderFlatAndItsCornersWhenAskedAndSmoothsItsInside) {
    const Layer cage = tent();
    // Smoothed, a corner goes to 3/4 of itself plus 1/8 of each border neighbour.
    testing::expectNear(subdivisionSurface(cage, 1).positions[8], {1.875f, 1.875f, 0});
    const Layer smooth = subdivisionSurface(cage, 1, SubdivisionBoundary::KeepCorners);
    EXPECT_EQ(smooth.positions.size(), 25u);
    EXPECT_EQ(smooth.faces.size(), 16u);
    // The cage's points come first: corners stay, the border stays flat along its line, and the
    // raised point goes to (Q + 2R + S) / 4 = (1/4 + 2 · 1/2 + 1) / 4.
    for (const std::uint32_t corner : {0u, 2u, 6u, 8u}) {
        EXPECT_EQ(smooth.positions[corner], cage.positions[corner]) << corner;
    }
    testing::expectNear(smooth.positions[1], {1, 0, 0});
    testing::expectNear(smooth.positions[4], {1, 1, 0.5625f});
    for (const Vector3& p : smooth.positions) {
        if (p.x == 0 || p.x == 2 || p.y == 0 || p.y == 2) {
            EXPECT_EQ(p.z, 0) << p.x << ", " << p.y;
        }
    }
    EXPECT_EQ(testing::openEdges(smooth), 16u);
}

TEST(SubdivisionTest, TrianglesOnlyRefineByLoopAndAMixedCageByCatmullClark) {
    // A regular tetrahedron about the origin: a point goes to 7/16 of itself plus 3/16 of each
    // neighbour (their sum is minus itself), an edge's new point to 3/8 of its ends plus 1/8 of
    // the opposite two: a quarter of each.
    const Layer tetrahedron{{{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}},
                            FaceList::polygons({{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}}),
                            std::nullopt};
    ASSERT_EQ(subdivisionSchemeOf(tetrahedron), SubdivisionScheme::Loop);
    const Layer smooth = subdivisionSurface(tetrahedron, 1);
    ASSERT_EQ(smooth.positions.size(), 10u);
    EXPECT_EQ(smooth.faces.size(), 16u);
    EXPECT_EQ(smooth.faces.uniformCount(), 3u);
    EXPECT_EQ(testing::openEdges(smooth), 0u);
    for (size_t i = 0; i < 4; ++i) {
        testing::expectNear(smooth.positions[i], tetrahedron.positions[i] * 0.25f);
    }
    EXPECT_EQ(subdivisionSurface(tetrahedron, 3).faces.size(), 4u * 64u);

    Layer mixed = tent();
    mixed.faces.replace(3, {4, 5, 8});
    mixed.faces.push_back({4, 8, 7});
    EXPECT_EQ(subdivisionSchemeOf(mixed), SubdivisionScheme::CatmullClark);
    EXPECT_EQ(subdivisionSurface(mixed, 1).faces.size(), 18u);
}

void expectSameLayer(const Layer& stored, const Layer& again) {
    ASSERT_EQ(stored.positions.size(), again.positions.size());
    EXPECT_EQ(stored.faces, again.faces);
    for (size_t i = 0; i < again.positions.size(); ++i) {
        testing::expectNear(stored.positions[i], again.positions[i]);
    }
}

TEST(SubdivisionTest, CreasedEdgesStaySharpByTheirWeight) {
    // The tent's middle line (1, 4, 7) creased: the raised point follows the crease's rule, 3/4 of
    // itself and 1/8 of each end, z = 0.75; the crease's new points lie halfway along it. A weight
    // w is sharpness 10·w²: 0.3 is 0.9, nine tenths of the sharp rule and one of the smooth.
    Layer cage = tent();
    const Edge line[] = {{1, 4}, {4, 7}};
    for (const auto& [weight, z] : {std::pair{1.0f, 0.75f}, {0.5f, 0.75f}, {0.3f, 0.73125f}}) {
        setCreases(cage, line, weight);
        const Layer smooth = subdivisionSurface(cage, 1);
        testing::expectNear(smooth.positions[4], {1, 1, z});
    }
    setCreases(cage, line, 1);
    const Layer sharp = subdivisionSurface(cage, 1);
    EXPECT_NE(std::ranges::find(sharp.positions, Vector3{1, 0.5f, 0.5f}), sharp.positions.end());
    // A pair that is no edge weighs nothing.
    Layer across = tent();
    const Edge diagonal[] = {{0, 4}};
    setCreases(across, diagonal, 1);
    EXPECT_EQ(subdivisionSurface(across, 2).positions, subdivisionSurface(tent(), 2).positions);
}

TEST(SubdivisionTest, StoredWeightsFollowAMovedPointAsRefiningAgainWould) {
    Layer cage = box();
    const SubdivisionSurface surface(cage, 2);
    cage.positions[6] = {2, 3, 1.5f};
    ASSERT_TRUE(surface.fits(cage, 2, SubdivisionBoundary::SmoothCorners));
    EXPECT_FALSE(surface.fits(cage, 3, SubdivisionBoundary::SmoothCorners));
    EXPECT_FALSE(surface.fits(cage, 2, SubdivisionBoundary::KeepCorners));
    expectSameLayer(*surface.layer(cage.positions), subdivisionSurface(cage, 2));
    // Creases are part of the topology the weights were made for.
    const Edge edge[] = {Edge::between(cage.faces[0][0], cage.faces[0][1])};
    setCreases(cage, edge, 0.5f);
    EXPECT_FALSE(surface.fits(cage, 2, SubdivisionBoundary::SmoothCorners));
    const LayerPtr creased = SubdivisionSurface(cage, 2).layer(cage.positions);
    ASSERT_NE(creased->positions, surface.layer(cage.positions)->positions);
    expectSameLayer(*creased, subdivisionSurface(cage, 2));
    cage.faces.replace(0, {0, 3, 2});
    EXPECT_FALSE(surface.fits(cage, 2, SubdivisionBoundary::SmoothCorners));

    // Refined into enough faces that refining once copies them on a second thread.
    const LayerPtr grid = QuadGenerator(80, 80).generateQuadLayer();
    expectSameLayer(*SubdivisionSurface(*grid, 2).layer(grid->positions),
                    subdivisionSurface(*grid, 2));
}

TEST(SubdivisionTest, UnusedPointsAndEdgesOfThreeFacesStillGiveAWholeLayer) {
    // A fin on the tent's middle edge (three faces on it), and a point no face uses.
    Layer cage = tent();
    cage.positions.push_back({1, 1, 2});
    cage.positions.push_back({5, 5, 5});
    cage.faces.push_back({1, 4, 9});
    for (const int level : {1, 2}) {
        const Layer smooth = subdivisionSurface(cage, level);
        EXPECT_FALSE(testing::hasBrokenFace(smooth)) << faultOf(smooth);
        EXPECT_EQ(smooth.faces.size(), (4u * 4u + 3u) * (level == 1 ? 1u : 4u));
        const SubdivisionSurface surface(cage, level);
        EXPECT_EQ(surface.pointCount(), smooth.positions.size());
    }
    EXPECT_TRUE(subdivisionSurface(Layer{}, 2).positions.empty());

    // A face of more corners than the refinement takes stays as it is.
    Layer disc;
    std::vector<std::uint32_t> corners;
    for (std::uint32_t i = 0; i < 70'000; ++i) {
        disc.positions.push_back({std::cos(i * 1e-4f), std::sin(i * 1e-4f), 0});
        corners.push_back(i);
    }
    disc.faces.push_back(FaceList::Face(corners));
    const Layer same = subdivisionSurface(disc, 1);
    EXPECT_EQ(same.positions, disc.positions);
    EXPECT_EQ(same.faces, disc.faces);
    EXPECT_EQ(SubdivisionSurface(disc, 1).layer(disc.positions)->faces, disc.faces);
}

} // namespace
} // namespace tessel

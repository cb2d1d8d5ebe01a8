#include "mesh/loop_cut.h"

#include "mesh/crease.h"
#include "mesh/model.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

#include <cmath>
#include <numbers>

namespace tessel::testing {

using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::Pointwise;

namespace {

// An open tube of eight four-cornered faces around the z axis: point i on the bottom circle,
// 8 + i above it; face i over (i, i + 1, 9 + i, 8 + i), wound outwards.
Layer tube() {
    Layer layer;
    for (const float z : {0.0f, 2.0f}) {
        for (int i = 0; i < 8; ++i) {
            const float angle = static_cast<float>(i) * std::numbers::pi_v<float> / 4;
            layer.positions.push_back({std::cos(angle), std::sin(angle), z});
        }
    }
    for (std::uint32_t i = 0; i < 8; ++i) {
        const std::uint32_t j = (i + 1) % 8;
        layer.faces.push_back({i, j, 8 + j, 8 + i});
    }
    return layer;
}

} // namespace

TEST(LoopCut, CutsAClosedRingAroundATubeOnce) {
    Layer before = tube();
    before.creases = {{1, 9, 0.5f}};
    const std::optional<Layer> cut = loopCut(before, Edge{0, 8}, 1, 0.25f);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->positions.size(), 24u);
    EXPECT_EQ(cut->faces.size(), 16u);
    EXPECT_EQ(cut->faces.uniformCount(), 4u);
    EXPECT_EQ(faultOf(*cut), "");
    // Two borders of eight edges, nothing torn and every face wound the same way.
    EXPECT_EQ(openEdges(*cut), 16u);
    for (std::uint32_t p = 0; p < 16; ++p) {
        EXPECT_EQ(cut->positions[p], before.positions[p]);
    }
    // The cut runs a quarter of the way up from the edge's first point, all around.
    for (std::uint32_t p = 16; p < 24; ++p) {
        EXPECT_FLOAT_EQ(cut->positions[p].z, 0.5f);
    }
    // The creased upright edge 1–9, cut at point 17, leaves its weight to both pieces.
    EXPECT_EQ(creaseOf(*cut, Edge{1, 9}), 0);
    EXPECT_EQ(creaseOf(*cut, Edge{1, 17}), 0.5f);
    EXPECT_EQ(creaseOf(*cut, Edge{9, 17}), 0.5f);
}

TEST(LoopCut, CutsAcrossAGridBetweenItsBorders) {
    // 3 × 3 faces: the edge {5, 9} is crossed by the middle row's three faces.
    const Layer grid = *QuadGenerator(3, 3).generateQuadLayer();
    const EdgeTopology topology = edgeTopology(grid);
    const LoopCutRing ring = loopCutRing(topology, grid, Edge{5, 9});
    EXPECT_FALSE(ring.closed);
    EXPECT_EQ(ring.faces.size(), 3u);
    ASSERT_EQ(ring.edges.size(), 4u);
    EXPECT_EQ(topology.edges[ring.edges[ring.origin]], (Edge{5, 9}));

    Layer cut = grid;
    loopCut(cut, topology, ring, 2, 0.5f);
    EXPECT_EQ(cut.positions.size(), 16u + 8u);
    EXPECT_EQ(cut.faces.size(), 9u + 6u);
    EXPECT_EQ(cut.faces.uniformCount(), 4u);
    EXPECT_EQ(openEdges(cut), 12u + 4u);
    // Two cuts split each ring edge in thirds, measured from the points lined up with 5.
    for (std::size_t i = 0; i < ring.edges.size(); ++i) {
        const Vector3 from = grid.positions[ring.starts[i]];
        EXPECT_FLOAT_EQ(from.y, grid.positions[5].y);
        const Vector3 third = cut.positions[16 + 2 * i];
        const Vector3 twoThirds = cut.positions[16 + 2 * i + 1];
        expectNear(third, from + (grid.positions[9] - grid.positions[5]) * (1.0f / 3));
        expectNear(twoThirds, from + (grid.positions[9] - grid.positions[5]) * (2.0f / 3));
    }
}

TEST(LoopCut, StopsAtATriangleAndTakesItsSideAlong) {
    // Two quads in a row and a triangle on the far side of the second: the triangle's side gets
    // the cut point, so the surface stays closed along it.
    Layer layer;
    layer.positions = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {2, 0, 0}, {2, 1, 0}, {3, 0, 0}};
    layer.faces = FaceList::polygons({{0, 2, 3, 1}, {2, 4, 5, 3}, {4, 6, 5}});
    const std::optional<Layer> cut = loopCut(layer, Edge{0, 1}, 1, 0.5f);
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->positions.size(), 7u + 3u);
    EXPECT_EQ(cut->faces.size(), 5u);
    EXPECT_EQ(faultOf(*cut), "");
    EXPECT_THAT(cut->faces[2], ElementsAre(4u, 6u, 5u, 9u));
    EXPECT_EQ(openEdges(*cut), 8u);
    // No ring along a triangle alone, nor through an edge the layer does not have.
    EXPECT_FALSE(loopCut(layer, Edge{4, 6}, 1, 0.5f));
    EXPECT_FALSE(loopCut(layer, Edge{0, 6}, 1, 0.5f));
}

TEST(LoopCut, SlidesTheCutsTogetherAndKeepsThemOffTheEnds) {
    EXPECT_THAT(loopCutPositions(1, 0.3f), ElementsAre(FloatNear(0.3f, 1e-6f)));
    EXPECT_THAT(loopCutPositions(1, -4.0f), ElementsAre(FloatNear(kLoopCutMargin, 1e-6f)));
    EXPECT_THAT(loopCutPositions(1, NAN), ElementsAre(FloatNear(0.5f, 1e-6f)));
    EXPECT_THAT(loopCutPositions(3, 0.5f),
                Pointwise(FloatNear(1e-6f), std::vector<float>{0.25f, 0.5f, 0.75f}));
    EXPECT_THAT(loopCutPositions(3, 1.0f),
                Pointwise(FloatNear(1e-6f), std::vector<float>{0.48f, 0.73f, 0.98f}));
}

} // namespace tessel::testing

#include "mesh/bevel.h"

#include "mesh/model.h"
#include "mesh/polygon.h"
#include "mesh/primitives.h"
#include "support/layer_checks.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

#include <cmath>
#include <vector>

namespace tessel::testing {

namespace {

// The edges of the box's corner 6, (1, 1, 1) on a box of side 2.
const std::vector<Edge> kCorner{{2, 6}, {5, 6}, {6, 7}};

// Whether every face of a solid around the origin is wound to face away from it.
bool facesOut(const Layer& layer) {
    for (const FaceList::Face face : layer.faces) {
        const std::array<double, 3> area = polygon::areaVector(layer.positions, face);
        const Vector3 c = polygon::centroid(layer.positions, face);
        if (area[0] * c.x + area[1] * c.y + area[2] * c.z <= 0) {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(Bevel, OneBoxEdgeBecomesAChamferAndTheEndFacesTakeItsEnds) {
    Layer box = *makeBoxLayer(2);
    ASSERT_TRUE(bevelEdges(box, std::vector<Edge>{kCorner[0]}, 0.25f, 1));
    // The edge's two points go; the others keep their order, and the four new ones follow.
    ASSERT_EQ(box.positions.size(), 10u);
    EXPECT_EQ(box.positions[2], (Vector3{-1, 1, -1}));
    EXPECT_EQ(box.positions[6], (Vector3{0.75f, 1, -1}));
    EXPECT_EQ(box.positions[7], (Vector3{1, 0.75f, -1}));
    EXPECT_EQ(box.positions[8], (Vector3{1, 0.75f, 1}));
    EXPECT_EQ(box.positions[9], (Vector3{0.75f, 1, 1}));
    EXPECT_EQ(box.faces.size(), 7u);
    EXPECT_EQ(box.faces.cornerCount(0), 5u);
    EXPECT_EQ(std::vector(box.faces[6].begin(), box.faces[6].end()),
              (std::vector<std::uint32_t>{7, 6, 9, 8}));
    EXPECT_EQ(faultOf(box), "");
    EXPECT_EQ(openEdges(box), 0u);
    EXPECT_TRUE(facesOut(box));
}

TEST(Bevel, SegmentsRoundTheProfileAndTheCornerOntoCircles) {
    const float onArc = 0.75f + 0.25f * std::sqrt(0.5f);
    Layer edge = *makeBoxLayer(2);
    bevelEdges(edge, std::vector<Edge>{kCorner[0]}, 0.25f, 2);
    expectNear(edge.positions[8], {onArc, onArc, -1});
    // Three edges into one corner: a patch of three quads around a point on the sphere of
    // radius 0.25 about (0.75, 0.75, 0.75).
    Layer corner = *makeBoxLayer(2);
    bevelEdges(corner, kCorner, 0.25f, 2);
    const float onSphere = 0.75f + 0.25f / std::sqrt(3.0f);
    EXPECT_EQ(std::ranges::count_if(
                  corner.positions,
                  [&](const Vector3& p) {
                      return (p - Vector3{onSphere, onSphere, onSphere}).length() < 1e-5f;
                  }),
              1);
}

TEST(Bevel, BoxCountsMatchThePeersAndStayClosedAndOutward) {
    struct Case {
        std::size_t edges; // 0: the corner point, 12: every edge
        int segments;
        std::size_t points, faces;
    };
    // What the peer suite's bevel makes of its default cube with the same selections.
    for (const Case c :
         {Case{1, 3, 14, 9}, Case{2, 1, 11, 8}, Case{3, 1, 13, 10}, Case{3, 3, 28, 22},
          Case{12, 2, 56, 54}, Case{12, 3, 96, 98}, Case{0, 1, 10, 7}, Case{0, 3, 19, 13}}) {
        Layer box = *makeBoxLayer(2);
        if (c.edges == 0) {
            bevelPoints(box, std::vector<std::int64_t>{6}, 0.25f, c.segments);
        } else {
            bevelEdges(box,
                       c.edges == 12
                           ? edgesOf(box)
                           : std::vector(kCorner.begin(),
                                         kCorner.begin() + static_cast<std::ptrdiff_t>(c.edges)),
                       0.25f, c.segments);
        }
        SCOPED_TRACE(::testing::Message() << c.edges << " edges, " << c.segments << " segments");
        EXPECT_EQ(box.positions.size(), c.points);
        EXPECT_EQ(box.faces.size(), c.faces);
        EXPECT_EQ(faultOf(box), "");
        EXPECT_EQ(openEdges(box), 0u);
        EXPECT_TRUE(facesOut(box));
    }
}

TEST(Bevel, APointIsCutOffAtTheWidthAlongEachEdge) {
    Layer box = *makeBoxLayer(2);
    ASSERT_TRUE(bevelPoints(box, std::vector<std::int64_t>{6}, 0.5f, 1));
    EXPECT_THAT(std::vector(box.positions.begin() + 7, box.positions.end()),
                ::testing::UnorderedElementsAre(Vector3{0.5f, 1, 1}, Vector3{1, 0.5f, 1},
                                                Vector3{1, 1, 0.5f}));
    EXPECT_EQ(box.faces.cornerCount(6), 3u);
}

TEST(Bevel, TheWidthStopsBeforeAnyFaceTurnsOver) {
    // A box edge: its end points reach the far corners of the end faces, and no further.
    Layer box = *makeBoxLayer(2);
    bevelEdges(box, std::vector<Edge>{kCorner[0]}, 5, 1);
    EXPECT_EQ(box.positions[6], (Vector3{-1, 1, -1}));
    // Triangles and n-gons beside the bevelled edges, in every direction of width.
    for (const LayerPtr& solid :
         {makeCylinderLayer(8, 1, 2, CapFill::Fan), makeCylinderLayer(8, 1, 2, CapFill::NGon),
          makeIcosphereLayer(2, 1), makeTorusLayer(8, 6, 1, 0.4f)}) {
        std::vector<Edge> every3rd;
        for (const Edge& e : edgesOf(*solid)) {
            if ((e.a + e.b) % 3 == 0) {
                every3rd.push_back(e);
            }
        }
        Layer wide = *solid;
        bevelEdges(wide, every3rd, 100, 2);
        EXPECT_EQ(faultOf(wide), "");
        EXPECT_EQ(openEdges(wide), 0u);
        for (std::size_t f = 0; f < solid->faces.size(); ++f) {
            const auto before = polygon::areaVector(solid->positions, solid->faces[f]);
            const auto after = polygon::areaVector(wide.positions, wide.faces[f]);
            const double dot = before[0] * after[0] + before[1] * after[1] + before[2] * after[2];
            const double area2 =
                before[0] * before[0] + before[1] * before[1] + before[2] * before[2];
            EXPECT_GT(dot, -1e-4 * area2) << "face " << f;
        }
    }
}

TEST(Bevel, NoWidthOrNothingBevelableChangesNothing) {
    const Layer before = *makeBoxLayer(2);
    Layer box = before;
    EXPECT_FALSE(bevelEdges(box, kCorner, 0, 2));
    EXPECT_FALSE(bevelEdges(box, {}, 0.5f, 2));
    EXPECT_FALSE(bevelPoints(box, std::vector<std::int64_t>{-1, 8}, 0.5f, 1));
    // A border edge has a face on one side only.
    Layer plane = *makePlaneLayer(2);
    EXPECT_FALSE(bevelEdges(plane, std::vector<Edge>{{0, 1}}, 0.5f, 1));
    EXPECT_EQ(box.positions, before.positions);
    EXPECT_EQ(box.faces, before.faces);
}

} // namespace tessel::testing

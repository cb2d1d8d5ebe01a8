#include "editor/render_index_data.h"

#include "mesh/model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Faces = std::vector<std::uint32_t>;
using Points = std::vector<std::int64_t>;

// One quad over points 0 to 3 in ring order.
LayerPtr unitQuad() {
    std::vector<PointPtr> p{Point::make(0, 0, 0), Point::make(1, 0, 0), Point::make(1, 1, 0),
                            Point::make(0, 1, 0)};
    PolygonPtr quad = Quad::make(p[0], p[1], p[2], p[3]);
    return Layer::make(std::move(p), {quad});
}

TEST(RenderIndexDataTest, SelectionCountsOnlyForTheSelectedMesh) {
    const LayerPtr layer = unitQuad();
    const Faces faces{0};
    const Points points{2};

    const IndexData selectedFaces = handleIndexDataForTriangles(*layer, true, faces);
    EXPECT_THAT(selectedFaces.ordinary, IsEmpty());
    EXPECT_THAT(selectedFaces.selected, ElementsAre(0, 1, 2, 0, 2, 3));
    const IndexData otherMeshFaces = handleIndexDataForTriangles(*layer, false, faces);
    EXPECT_THAT(otherMeshFaces.ordinary, ElementsAre(0, 1, 2, 0, 2, 3));
    EXPECT_THAT(otherMeshFaces.selected, IsEmpty());

    const IndexData selectedPoints = handleIndexDataForPoints(*layer, true, points);
    EXPECT_THAT(selectedPoints.ordinary, ElementsAre(0, 1, 3));
    EXPECT_THAT(selectedPoints.selected, ElementsAre(2));
    const IndexData otherMeshPoints = handleIndexDataForPoints(*layer, false, points);
    EXPECT_THAT(otherMeshPoints.ordinary, ElementsAre(0, 1, 2, 3));
    EXPECT_THAT(otherMeshPoints.selected, IsEmpty());
}

TEST(RenderIndexDataTest, VerticesAreFoundByIdentityAtTheirFirstOccurrence) {
    // Points 1 and 2 share a position; point 0 is listed twice.
    std::vector<PointPtr> p{Point::make(0, 0, 0), Point::make(1, 0, 0), Point::make(1, 0, 0),
                            Point::make(0, 1, 0)};
    p.push_back(p[0]);
    const LayerPtr layer =
        Layer::make(p, {Triangle::make(p[0], p[2], p[3]), Triangle::make(p[3], p[1], p[4])});
    EXPECT_THAT(handleIndexDataForTriangles(*layer, false, Faces{}).ordinary,
                ElementsAre(0, 2, 3, 3, 1, 0));
}

TEST(RenderIndexDataTest, TriangleWithAForeignVertexIsLeftOutWholeEvenWithAMatchingHint) {
    const LayerPtr layer = unitQuad();
    // A point of another layer whose stale hint names a valid id of this one.
    const PointPtr stranger = Point::make(0, 0, 0);
    stranger->indexHint_ = 1;
    const std::vector<PointPtr>& p = layer->points;
    layer->polygons = {Triangle::make(p[0], stranger, p[2]), Quad::make(p[0], p[1], p[2], stranger),
                       Triangle::make(p[1], p[2], p[3])};
    // The quad keeps (A, B, C) and loses (A, C, D); the last triangle stays aligned.
    EXPECT_THAT(handleIndexDataForTriangles(*layer, false, Faces{}).ordinary,
                ElementsAre(0, 1, 2, 1, 2, 3));
}

TEST(RenderIndexDataTest, LayerWithoutPolygonsStillListsItsPoints) {
    const LayerPtr layer = Layer::make({Point::make(0, 0, 0), Point::make(1, 2, 3)}, {});
    const IndexData triangles = handleIndexDataForTriangles(*layer, true, Faces{0});
    EXPECT_THAT(triangles.ordinary, IsEmpty());
    EXPECT_THAT(triangles.selected, IsEmpty());
    EXPECT_THAT(handleIndexDataForPoints(*layer, true, Points{1}).selected, ElementsAre(1));
}

TEST(RenderIndexDataTest, OutOfRangeSelectionIdsAreIgnored) {
    const LayerPtr layer = unitQuad();
    const IndexData triangles = handleIndexDataForTriangles(*layer, true, Faces{1, 70000});
    EXPECT_THAT(triangles.ordinary, ElementsAre(0, 1, 2, 0, 2, 3));
    EXPECT_THAT(triangles.selected, IsEmpty());
    const IndexData points = handleIndexDataForPoints(*layer, true, Points{-1, 4, 1, 1LL << 40});
    EXPECT_THAT(points.ordinary, ElementsAre(0, 2, 3));
    EXPECT_THAT(points.selected, ElementsAre(1));
}

TEST(RenderIndexDataTest, IndicesAndFaceIdsBeyondSixteenBitsStayExact) {
    // 301 × 301 = 90,601 points and 180,000 triangles.
    const LayerPtr layer = QuadGenerator(300, 300).generateLayer();
    const std::uint32_t row = 301;
    const std::uint32_t lastFace = 179999;
    const IndexData triangles = handleIndexDataForTriangles(*layer, true, Faces{70001, lastFace});
    // Cell (i, j) gives (k, k + 1, k + row + 1) and (k, k + row + 1, k + row) with k = j·row + i.
    const std::uint32_t k70000 = (70000 / 2 / 300) * row + (70000 / 2) % 300;
    const std::uint32_t kLast = 299 * row + 299;
    EXPECT_THAT(triangles.selected, ElementsAre(k70000, k70000 + row + 1, k70000 + row, kLast,
                                                kLast + row + 1, kLast + row));
    ASSERT_EQ(triangles.ordinary.size(), 3 * (180000 - 2));
    EXPECT_THAT(std::vector<std::uint32_t>(triangles.ordinary.end() - 3, triangles.ordinary.end()),
                ElementsAre(kLast, kLast + 1, kLast + row + 1));

    const IndexData points = handleIndexDataForPoints(*layer, true, Points{90600});
    EXPECT_THAT(points.selected, ElementsAre(90600));
    EXPECT_EQ(points.ordinary.back(), 90599u);
}

TEST(RenderIndexDataTest, ReusedOutputHoldsOnlyTheLatestLayer) {
    IndexData out;
    handleIndexDataForTriangles(*QuadGenerator(8, 8).generateLayer(), true, Faces{3}, out);
    handleIndexDataForPoints(*QuadGenerator(8, 8).generateLayer(), true, Points{3}, out);
    const LayerPtr layer = unitQuad();
    handleIndexDataForTriangles(*layer, false, Faces{0}, out);
    EXPECT_THAT(out.ordinary, ElementsAre(0, 1, 2, 0, 2, 3));
    EXPECT_THAT(out.selected, IsEmpty());
    handleIndexDataForPoints(*layer, false, Points{}, out);
    EXPECT_THAT(out.ordinary, ElementsAre(0, 1, 2, 3));
}

TEST(RenderIndexDataTest, PositionsFollowThePointOrder) {
    const LayerPtr layer = Layer::make({Point::make(1, 2, 3), Point::make(-4, 5, -6)}, {});
    std::vector<float> positions(100, 9.0f);
    fillPositions(*layer, positions);
    EXPECT_THAT(positions, ElementsAre(1, 2, 3, -4, 5, -6));
}

} // namespace
} // namespace tessel

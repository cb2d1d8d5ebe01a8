#include "tools/edge_picking.h"

#include "mesh/model.h"
#include "support/mesh_helpers.h"
#include "tools/selection.h"

#include <gmock/gmock.h>

namespace tessel::testing {

namespace {

// The camera at (0, 0, 2.5) looks down −z: a point (x, y, 0) shows at device
// (−x / (2.5 aspect), y / 2.5), one at z = −2.5 at half that.
Matrix viewProjection(float aspect) {
    const CameraPtr camera = Camera::make();
    camera->localMatrix = Matrix::translation({0, 0, 2.5f});
    return camera->viewProjection(aspect);
}

} // namespace

TEST(EdgePickingTest, TheClickTakesTheEdgeNearestOnTheScreenInFrontOfTheNearPlane) {
    // The square (0, 1, 2, 3) shows at x, y = ±0.2 (±0.1 across at aspect 2). A triangle pokes
    // behind the eye: edge (4, 5) runs from device (−0.2, 0) leftwards out of the view, but with
    // its far end divided by a negative w it would pass (0.05, 0). Triangle (7, 8, 9) lies behind
    // the eye altogether and would show around the centre as well.
    const Layer layer = *makeLayer({{-0.5f, -0.5f, 0},
                                    {0.5f, -0.5f, 0},
                                    {0.5f, 0.5f, 0},
                                    {-0.5f, 0.5f, 0},
                                    {0.5f, 0, 0},
                                    {0.5f, 0, 5},
                                    {0.5f, -3, 0},
                                    {0.5f, 0, 5},
                                    {-0.5f, 0, 5},
                                    {0, 1, 5}},
                                   FaceList::polygons({{0, 1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
    struct Case {
        const char* name;
        float aspect;
        Vec2 pointer;
        std::optional<Edge> edge;
    };
    const Case cases[] = {
        {"inside the square, near its bottom", 1, {0, -0.17f}, Edge{0, 1}},
        {"outside it, near its bottom", 1, {0, -0.24f}, Edge{0, 1}},
        {"too far from every edge", 1, {0.05f, 0}, std::nullopt},
        {"near the top edge's line but past its end", 1, {0.3f, 0.19f}, std::nullopt},
        {"the part in front of the eye", 1, {-1, 0.03f}, Edge{4, 5}},
        // 0.03 across is 0.06 at aspect 2, farther than 0.04 up.
        {"device x counts twice at aspect 2", 2, {0.07f, 0.16f}, Edge{2, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nearestEdge(layer, viewProjection(c.aspect), c.aspect, c.pointer, 0.05f), c.edge)
            << c.name;
    }
}

TEST(EdgePickingTest, OfEdgesThatCoincideOnTheScreenTheNearerWins) {
    // Edge (0, 1) lies twice as far from the eye as (3, 4) and twice as long: both show from
    // (0, −0.2) to (0, 0.2).
    const Layer layer = *makeLayer(
        {{0, -1, -2.5f}, {0, 1, -2.5f}, {3, 0, -2.5f}, {0, -0.5f, 0}, {0, 0.5f, 0}, {1.5f, 0, 0}},
        FaceList::polygons({{0, 1, 2}, {3, 4, 5}}));
    EXPECT_EQ(nearestEdge(layer, viewProjection(1), 1, {0.03f, 0.1f}, 0.05f), (Edge{3, 4}));
}

TEST(EdgePickingTest, TheRectangleTakesTheEdgesWithBothPointsInside) {
    // The 4 × 4 grid shows its points (i/4 − 0.5, j/4 − 0.5) at device (0.2 − i/10, j/10 − 0.2):
    // the rectangle holds the middle 3 × 3 points, 5j + i for i, j = 1 … 3.
    const Layer grid = *QuadGenerator(4, 4).generateQuadLayer();
    const std::array<Plane, 4> sides = selectionSides(selectionCorners(
        ScreenRectangle::between({-0.12f, -0.12f}, {0.12f, 0.12f}), viewProjection(1).inverted()));
    EXPECT_THAT(
        edgesInside(sides, grid, edgeTopology(grid)),
        ::testing::ElementsAreArray({Edge{6, 7}, Edge{6, 11}, Edge{7, 8}, Edge{7, 12}, Edge{8, 13},
                                     Edge{11, 12}, Edge{11, 16}, Edge{12, 13}, Edge{12, 17},
                                     Edge{13, 18}, Edge{16, 17}, Edge{17, 18}}));
}

} // namespace tessel::testing

#include "tools/plane_cut.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"
#include "tools/point_merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::committed;

constexpr float kOnPlane = 1e-6f;

// What a viewport draws: the model's layers as they are read with the preview installed.
LayerPtr shown(Model& model) {
    return model.layers().front();
}

// Number of faces on each edge whose two ends lie in the plane y = 0.
std::map<std::pair<const Point*, const Point*>, int> edgesOnCutLine(const Layer& layer) {
    std::map<std::pair<const Point*, const Point*>, int> edges;
    for (const PolygonPtr& face : layer.polygons) {
        const auto v = face->verts();
        for (size_t k = 0; k < v.size(); ++k) {
            const Point* a = v[k].get();
            const Point* b = v[(k + 1) % v.size()].get();
            if (std::abs(a->position.y) < kOnPlane && std::abs(b->position.y) < kOnPlane) {
                ++edges[{std::min(a, b), std::max(a, b)}];
            }
        }
    }
    return edges;
}

bool straddlesYZero(const Polygon& face) {
    float low = 0, high = 0;
    for (const PointPtr& v : face.verts()) {
        low = std::min(low, v->position.y);
        high = std::max(high, v->position.y);
    }
    return low < -kOnPlane && high > kOnPlane;
}

float area(const Polygon& face) {
    const auto v = face.verts();
    return 0.5f * (v[1]->position - v[0]->position).cross(v[2]->position - v[0]->position).length();
}

class PlaneCutTest : public ::testing::Test {
  protected:
    // Makes the tool active in Polygon mode, as picking "Plane cut" does.
    std::shared_ptr<PlaneCut> choose() {
        auto tool = PlaneCut::make(editor.controller);
        editor.controller.mode = DetailViewController::Mode::Polygon;
        editor.controller.op = tool;
        return tool;
    }
    Model& model() { return *editor.quad()->model(); }
    void useGrid(int h, int v) {
        model().params()->setU(h);
        model().params()->setV(v);
    }

    FakeEditor editor;
};

TEST_F(PlaneCutTest, ChosenToolShowsTheGridCutAlongYZero) {
    // A 3 × 3 grid: the plane y = 0 runs through the middle row of cells, through no vertex.
    useGrid(3, 3);
    editor.controller.selectedFacesIds = {5};
    choose();
    EXPECT_TRUE(editor.controller.selectedFacesIds.empty());

    const LayerPtr layer = shown(model());
    // The 6 triangles of the middle row split into 3 each; 4 vertical and 3 diagonal edges
    // cross the plane, each giving one point once the two sides' points are merged.
    EXPECT_EQ(layer->polygons.size(), 12u + 6u * 3u);
    EXPECT_EQ(layer->points.size(), 16u + 7u);
    for (const PolygonPtr& face : layer->polygons) {
        EXPECT_FALSE(straddlesYZero(*face));
    }
    // Connected along the cut: 6 segments between the 7 points, each with a face on either side.
    const auto edges = edgesOnCutLine(*layer);
    EXPECT_EQ(edges.size(), 6u);
    for (const auto& [edge, faces] : edges) {
        EXPECT_EQ(faces, 2);
    }

    // The plane patch around the origin, in the plane.
    const ModelPtr tool = model().modifier_->result->tool;
    ASSERT_NE(tool, nullptr);
    const LayerPtr patch = tool->layers().front();
    ASSERT_EQ(patch->points.size(), 5u);
    EXPECT_EQ(patch->points[0]->position, Vector3(0, 0, 0));
    for (const PointPtr& p : patch->points) {
        EXPECT_EQ(p->position.y, 0);
    }
    // Nothing is committed.
    EXPECT_EQ(committed(model())->polygons.size(), 18u);
}

TEST_F(PlaneCutTest, CutThroughARowOfVerticesLeavesTheGridWhole) {
    // A 4 × 4 grid has a row of vertices on y = 0: every triangle touching it is split at t = 0
    // and t = 1, and the merge must fold all those zero-length pieces away again.
    choose();
    const LayerPtr layer = shown(model());
    EXPECT_EQ(layer->polygons.size(), 32u);
    EXPECT_EQ(layer->points.size(), 25u);
    float total = 0;
    for (const PolygonPtr& face : layer->polygons) {
        EXPECT_GT(area(*face), 1e-3f);
        EXPECT_FALSE(straddlesYZero(*face));
        total += area(*face);
    }
    EXPECT_NEAR(total, 1.0f, 1e-5f);
    const auto edges = edgesOnCutLine(*layer);
    EXPECT_EQ(edges.size(), 4u);
    for (const auto& [edge, faces] : edges) {
        EXPECT_EQ(faces, 2);
    }
}

TEST(PlaneCutSplitTest, TriangleWithAVertexOnThePlane) {
    const Vector3 n{0, 1, 0};
    const Vector3 o{0, 0, 0};
    {
        // A on the plane, B and C above it: the two edges at A cross at t = 0 and t = 1, the
        // edge B–C runs parallel to the plane.
        auto a = Point::make(0, 0, 0);
        auto b = Point::make(1, 1, 0);
        auto c = Point::make(-1, 1, 0);
        const LayerPtr layer = Layer::make({a, b, c}, {Triangle::make(a, b, c)});
        splitAlongPlane(*layer, n, o);
        ASSERT_EQ(layer->polygons.size(), 3u);
        ASSERT_EQ(layer->points.size(), 5u);
        EXPECT_EQ(layer->points[3]->position, a->position);
        EXPECT_EQ(layer->points[4]->position, a->position);

        // The merge folds the two new points into A and drops the two zero-area pieces: the
        // original triangle is left, its first vertex replaced by the merged point (now last).
        mergeCoincidentPoints(*layer);
        ASSERT_EQ(layer->polygons.size(), 1u);
        ASSERT_EQ(layer->points.size(), 3u);
        EXPECT_EQ(layer->points[0], b);
        EXPECT_EQ(layer->points[1], c);
        const auto ring = layer->polygons[0]->verts();
        EXPECT_EQ(ring[0], layer->points[2]);
        EXPECT_EQ(ring[0]->position, a->position);
        EXPECT_EQ(ring[1], b);
        EXPECT_EQ(ring[2], c);
    }
    {
        // A on the plane, B above, C below: the edge B–C crosses too, and three crossings leave
        // the triangle alone.
        auto a = Point::make(0, 0, 0);
        auto b = Point::make(1, 1, 0);
        auto c = Point::make(1, -1, 0);
        const LayerPtr layer = Layer::make({a, b, c}, {Triangle::make(a, b, c)});
        cutAlongPlane(*layer, n, o);
        EXPECT_EQ(layer->polygons.size(), 1u);
        EXPECT_EQ(layer->points.size(), 3u);
    }
}

TEST_F(PlaneCutTest, DraggingFromThePatchMovesThePlane) {
    // Facing the camera, the plane z = 0 shows its patch in viewport 0, where device x = −2·x
    // and device y = 2·y on that plane.
    auto tool = choose();
    tool->normal = {0, 0, 1};
    shown(model());

    auto& view = editor.views[0];
    view.press(0.6f, 0.55f); // device (0.2, 0.1): world (−0.1, 0.05, 0)
    ASSERT_TRUE(tool->intersection.has_value());
    EXPECT_NEAR(tool->intersection->x, -0.1f, 1e-5f);
    EXPECT_NEAR(tool->intersection->y, 0.05f, 1e-5f);
    // The patch's triangle in the quadrant x < 0, y > 0.
    EXPECT_EQ(editor.controller.selectedFacesIds, std::vector<std::uint32_t>{3});

    // 0.2 device units to the right, in two events.
    view.dragTo(0.65f, 0.55f);
    shown(model());
    view.dragTo(0.7f, 0.55f);
    EXPECT_NEAR(tool->cuttingPlaneOrigin.x, -0.1f, 1e-5f);
    EXPECT_NEAR(tool->cuttingPlaneOrigin.y, 0, 1e-6f);
    EXPECT_NEAR(tool->cuttingPlaneOrigin.z, 0, 1e-6f);
    EXPECT_EQ(tool->normal, Vector3(0, 0, 1));

    view.release();
    EXPECT_FALSE(tool->intersection.has_value());
    EXPECT_FALSE(tool->frozenNormal.has_value());
    EXPECT_EQ(committed(model())->points.size(), 25u);
}

TEST_F(PlaneCutTest, DraggingAroundThePlaneOriginTurnsTheNormal) {
    // Seen edge-on from viewport 0, the patch of y = 0 is never hit: every press turns.
    auto tool = choose();
    shown(model());
    auto& view = editor.views[0];

    // A quarter turn counter-clockwise on screen around the origin's image (the centre), from
    // device (0.5, 0) to (0, 0.5): the normal turns by −π/2 about z, (0, 1, 0) → (1, 0, 0).
    view.press(0.75f, 0.5f);
    EXPECT_FALSE(tool->intersection.has_value());
    EXPECT_TRUE(editor.controller.selectedFacesIds.empty());
    view.dragTo(0.7f, 0.7f);
    view.dragTo(0.5f, 0.75f);
    EXPECT_NEAR(tool->normal.x, 1, 1e-6f);
    EXPECT_NEAR(tool->normal.y, 0, 1e-6f);
    EXPECT_NEAR(tool->normal.z, 0, 1e-6f);
    view.release();

    // The same sweep again turns from the current normal, not the first one: (1, 0, 0) →
    // (0, −1, 0).
    view.press(0.75f, 0.5f);
    view.dragTo(0.5f, 0.75f);
    EXPECT_NEAR(tool->normal.x, 0, 1e-6f);
    EXPECT_NEAR(tool->normal.y, -1, 1e-6f);
    view.release();
}

TEST_F(PlaneCutTest, DragAlongTheLineThroughThePlaneOriginKeepsTheNormal) {
    // Start and pointer on one ray from the origin's image: the cosine of their directions
    // rounds to just above 1 here.
    auto tool = choose();
    shown(model());
    auto& view = editor.views[0];
    view.press(0.002f, 0.011f);
    view.dragTo(0.168f, 0.174f);
    EXPECT_EQ(tool->normal, Vector3(0, 1, 0));
    view.release();
}

TEST_F(PlaneCutTest, PressBeforeAnyPreviewTakesTheFirstTriangleInLayerOrder) {
    // Two triangles under the pointer, the farther one listed first; no preview has been drawn,
    // so the press picks on the mesh.
    auto a = Point::make(-0.2f, 0.1f, -0.5f), b = Point::make(0.2f, 0.1f, -0.5f),
         c = Point::make(0, 0.4f, -0.5f);
    auto d = Point::make(-0.2f, 0.1f, 0), e = Point::make(0.2f, 0.1f, 0),
         f = Point::make(0, 0.4f, 0);
    editor.quad()->setModel(Model::make(
        {Layer::make({a, b, c, d, e, f}, {Triangle::make(a, b, c), Triangle::make(d, e, f)})}));
    auto tool = choose();

    // Device (0, 0.3): world y = 0.15 on the near triangle and 0.3 on the far one.
    editor.views[0].press(0.5f, 0.65f);
    EXPECT_EQ(editor.controller.selectedFacesIds, std::vector<std::uint32_t>{0});
    ASSERT_TRUE(tool->intersection.has_value());
    EXPECT_NEAR(tool->intersection->z, -0.5f, 1e-5f);
    EXPECT_EQ(tool->frozenNormal, std::optional<Vector3>(Vector3(0, 1, 0)));
}

TEST_F(PlaneCutTest, ApplyCommitsTheCutAndKeepsThePreview) {
    useGrid(3, 3);
    choose();
    editor.controller.apply();
    EXPECT_EQ(committed(model())->polygons.size(), 30u);
    EXPECT_EQ(committed(model())->points.size(), 23u);
    ASSERT_NE(model().modifier_, nullptr);
    // Cutting the cut grid again along the same plane still shows the patch.
    shown(model());
    EXPECT_NE(model().modifier_->result->tool, nullptr);
}

} // namespace
} // namespace tessel

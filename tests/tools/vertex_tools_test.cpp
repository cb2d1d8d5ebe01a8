#include "tools/vertex_translation.h"
#include "tools/weld.h"

#include "support/fake_viewport.h"
#include "tools/tool_support.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::FakeViewport;

constexpr float aspect = 1.25f;
constexpr float eyeZ = 2.5f; // the top-right viewport's camera

// Device x and y of a world point for the unrotated camera at (0, 0, eyeZ), fov 1, by hand.
Vec2 deviceOf(const Vector3& p) {
    const float u = eyeZ - p.z;
    return {-p.x / (aspect * u), p.y / u};
}
// The world point at device (x, y) at distance eyeZ − z from the eye: the inverse of deviceOf.
Vector3 worldAt(Vec2 device, float z) {
    const float u = eyeZ - z;
    return {-device.x * aspect * u, device.y * u, z};
}
Vec2 normalizedOf(Vec2 device) {
    return {(device.x + 1) / 2, (device.y + 1) / 2};
}

void expectNear(const Vector3& actual, const Vector3& expected, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, 2e-5) << what;
    EXPECT_NEAR(actual.y, expected.y, 2e-5) << what;
    EXPECT_NEAR(actual.z, expected.z, 2e-5) << what;
}

// The start-up editor: the 4 × 4 "Quad" grid is selected (point id 5j + i at
// (i/4 − 0.5, j/4 − 0.5, 0)) and "Move" is the active tool. Work happens in the top-right view.
class VertexToolsTest : public ::testing::Test {
protected:
    FakeViewport& view() { return editor.views[1]; }
    DetailViewController& controller() { return editor.controller; }
    ModelPtr model() { return editor.quad()->model(); }
    LayerPtr shown() { return model()->layers().front(); }
    LayerPtr committed() { return model()->_layers().front(); }
    Vector3 gridPoint(int i, int j) const { return {i / 4.0f - 0.5f, j / 4.0f - 0.5f, 0}; }

    void pressAt(Vec2 device) {
        const Vec2 n = normalizedOf(device);
        view().press(n.x, n.y);
    }
    void dragTo(Vec2 device) {
        const Vec2 n = normalizedOf(device);
        view().dragTo(n.x, n.y);
    }
    // Drags a rectangle from empty space around points 12, 13, 17 and 18.
    void selectFourPoints() {
        pressAt({-0.12f, 0.15f});
        dragTo({0.04f, -0.05f});
    }

    FakeEditor editor{aspect};
};

TEST_F(VertexToolsTest, MoveKeepsThePickedPointUnderThePointerAtItsDepth) {
    // Points 12, 13, 17 and 18; then press near 18 (inside its click box) and drag.
    selectFourPoints();
    view().release();
    ASSERT_EQ(controller().selectedPointsIds.size(), 4u);
    const Vec2 picked = deviceOf(gridPoint(3, 3));
    pressAt({picked.x + 0.01f, picked.y});
    ASSERT_EQ(controller().selectedPointsIds.size(), 4u);

    for (const Vec2 pointer : {Vec2{picked.x - 0.2f, picked.y + 0.1f}, Vec2{0.3f, -0.25f}}) {
        dragTo(pointer);
        // Each drag's offset counts from the press, not from the previous drag.
        const Vector3 offset = worldAt(pointer, 0) - gridPoint(3, 3);
        const LayerPtr layer = shown();
        for (const auto& [i, j] : {std::pair{2, 2}, {3, 2}, {2, 3}, {3, 3}}) {
            expectNear(layer->points[5 * j + i]->position, gridPoint(i, j) + offset, "selected");
        }
        expectNear(layer->points[0]->position, gridPoint(0, 0), "unselected");
        const Vector3 device = project(layer->points[18]->position, view());
        EXPECT_NEAR(device.x, pointer.x, 1e-5);
        EXPECT_NEAR(device.y, pointer.y, 1e-5);
        EXPECT_NEAR(device.z, project(gridPoint(3, 3), view()).z, 1e-6);
    }
    // Nothing is committed before the release.
    expectNear(committed()->points[18]->position, gridPoint(3, 3), "committed before release");

    view().release();
    expectNear(committed()->points[18]->position, worldAt({0.3f, -0.25f}, 0), "committed");
    // The preview stays installed and now shows the committed geometry unchanged.
    ASSERT_NE(model()->modifier_, nullptr);
    expectNear(shown()->points[18]->position, worldAt({0.3f, -0.25f}, 0), "shown after release");
}

TEST_F(VertexToolsTest, PressWithoutDragCommitsTheSnapUnderThePointer) {
    const Vec2 click = deviceOf(gridPoint(1, 3));
    const Vec2 off{click.x + 0.012f, click.y - 0.01f};
    pressAt(off);
    ASSERT_EQ(controller().selectedPointsIds, (std::vector<std::int64_t>{16}));
    view().release();
    expectNear(committed()->points[16]->position, worldAt(off, 0), "snapped");
    expectNear(committed()->points[15]->position, gridPoint(0, 3), "neighbour");
}

TEST_F(VertexToolsTest, NearerPointCanWinOverOneCloserOnScreen) {
    // A lies exactly under the pointer at depth ≈ 0.136; B is 0.05 device units aside but much
    // nearer the eye (depth ≈ 0.107), so B is nearer once the depth counts.
    const Vector3 a{0, 0, 0};
    const Vector3 b = worldAt({0.05f, 0}, 2.0f);
    const PointPtr pa = Point::make(a);
    const PointPtr pb = Point::make(b);
    const PointPtr pc = Point::make(1, 1, 0);
    const MeshPtr mesh =
        Mesh::make(Model::make({Layer::make({pa, pb, pc}, {Triangle::make(pa, pb, pc)})}));
    editor.window.setSelectedNode(mesh);
    auto tool = std::dynamic_pointer_cast<VertexTranslation>(controller().op);
    ASSERT_NE(tool, nullptr);

    controller().selectedPointsIds = {0, 1};
    view().normalizedPointerPosition = normalizedOf({0, 0});
    tool->onMouseDown({}, view());
    ASSERT_TRUE(tool->initialPosition());
    expectNear(*tool->initialPosition(), b, "picked");
}

TEST_F(VertexToolsTest, StaleIdsAreSkipped) {
    controller().selectedPointsIds = {99, 18, -3};
    auto tool = std::dynamic_pointer_cast<VertexTranslation>(controller().op);
    ASSERT_NE(tool, nullptr);
    const Vec2 picked = deviceOf(gridPoint(3, 3));
    view().normalizedPointerPosition = normalizedOf(picked);
    tool->onMouseDown({}, view());
    expectNear(*tool->initialPosition(), gridPoint(3, 3), "picked");
    view().normalizedPointerPosition = normalizedOf({0, 0});
    controller().setRecentView(view());
    model()->modifier_->result.reset();
    const LayerPtr layer = shown();
    expectNear(layer->points[18]->position, worldAt({0, 0}, 0), "moved");
    expectNear(layer->points[24]->position, gridPoint(4, 4), "last point untouched");

    // Only stale ids: nothing to pick, nothing moves.
    controller().selectedPointsIds = {25};
    tool->onMouseUp({}, view());
    tool->onMouseDown({}, view());
    EXPECT_FALSE(tool->initialPosition());
}

TEST_F(VertexToolsTest, InstalledPreviewKeepsItsToolAliveWithoutACycle) {
    std::weak_ptr<Operation> tool = controller().op;
    controller().op.reset();
    EXPECT_FALSE(tool.expired());
    EXPECT_EQ(shown()->points.size(), 25u);
    removePreview(*model());
    EXPECT_TRUE(tool.expired());
}

class WeldTest : public VertexToolsTest {
protected:
    WeldTest() { controller().toolSelected(1); }
};

TEST_F(WeldTest, RectangleSelectionMergesIntoItsMeanAndSelectsTheMergedPoint) {
    selectFourPoints();
    ASSERT_EQ(controller().selectedPointsIds.size(), 4u);
    view().release();

    const LayerPtr layer = committed();
    ASSERT_EQ(layer->points.size(), 22u);
    ASSERT_EQ(controller().selectedPointsIds, (std::vector<std::int64_t>{21}));
    expectNear(layer->points[21]->position, {0.125f, 0.125f, 0}, "merged");
    for (const PolygonPtr& polygon : layer->polygons) {
        EXPECT_FALSE(polygon->isDegenerated());
    }
    // The preview left installed shows the committed weld and keeps the merged point selected.
    EXPECT_EQ(shown()->points.size(), 22u);
    expectNear(shown()->points[21]->position, {0.125f, 0.125f, 0}, "shown");
    EXPECT_EQ(controller().selectedPointsIds, (std::vector<std::int64_t>{21}));
    // The next press removes the weld preview before anything else reads it.
    pressAt({0.6f, 0.6f});
    EXPECT_EQ(model()->modifier_, nullptr);
    EXPECT_EQ(committed()->points.size(), 22u);
}

TEST_F(WeldTest, StaleIdsAreLeftOutOfTheWeld) {
    controller().selectedPointsIds = {13, 40, 12};
    controller().op->onMouseUp({}, view());
    ASSERT_EQ(committed()->points.size(), 24u);
    EXPECT_EQ(controller().selectedPointsIds, (std::vector<std::int64_t>{23}));
    expectNear(committed()->points[23]->position, {0.125f, 0, 0}, "merged");
}

TEST_F(WeldTest, WeldThatRemovesItsOwnPointLeavesNothingSelected) {
    // Every face around the merged point collapses, taking the point with it.
    const PointPtr a = Point::make(0, 0, 0);
    const PointPtr b = Point::make(1, 0, 0);
    const PointPtr c = Point::make(0, 1, 0);
    const PointPtr d = Point::make(1, 1, 0);
    const MeshPtr mesh = Mesh::make(Model::make(
        {Layer::make({a, b, c, d}, {Triangle::make(a, b, c), Triangle::make(b, d, c)})}));
    editor.window.setSelectedNode(mesh);
    controller().toolSelected(1);
    controller().selectedPointsIds = {0, 1, 2, 3};
    controller().op->onMouseUp({}, view());
    EXPECT_TRUE(mesh->model()->_layers().front()->points.empty());
    EXPECT_TRUE(controller().selectedPointsIds.empty());
}

} // namespace
} // namespace tessel

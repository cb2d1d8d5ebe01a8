#include "tools/mesh_tools.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::committed;
using testing::positions;

class MeshToolsTest : public ::testing::Test {
  protected:
    MeshToolsTest() { editor.controller.mode = DetailViewController::Mode::Mesh; }

    // A press that reaches `tool`: every selection makes the controller build a new tool, and
    // here each press goes to the one under test.
    void press(const std::shared_ptr<MeshTranslation>& tool, testing::FakeViewport& view, float x,
               float y) {
        editor.controller.op = tool;
        view.press(x, y);
    }

    FakeEditor editor;
};

// Selecting a mesh makes the controller build a fresh tool, which then gets the release in the
// application; here the release goes to the tool under test, which owns the gesture's preview.
TEST_F(MeshToolsTest, MovePressSelectsTheMeshUnderThePointerAndMovesItInTheSameGesture) {
    editor.controller.setSelectedNode(editor.cube());
    auto tool = MeshTranslation::make(editor.controller);
    Model& grid = *editor.quad()->model();
    const std::vector<Vector3> start = positions(*grid.layers().front());
    const std::vector<Vector3> cubeStart = positions(*editor.cube()->model()->layers().front());
    auto& view = editor.views[0];

    // Viewport 0 sees world (x, y) of the grid at (0.5 − x, 0.5 + y), in front of the cube's far
    // side (its camera sits inside the cube).
    press(tool, view, 0.39f, 0.54f);
    EXPECT_EQ(editor.controller.selectedNode(), editor.quad());
    ASSERT_TRUE(tool->intersection().has_value());
    EXPECT_NEAR(tool->intersection()->x, 0.11f, 1e-6f);
    EXPECT_NEAR(tool->intersection()->y, 0.04f, 1e-6f);
    ASSERT_NE(grid.modifier_, nullptr);

    // 0.2 device units to the right: world x − 0.1 at the grid's depth.
    view.dragTo(0.49f, 0.54f);
    tool->onMouseUp(view.normalizedPointerPosition, view);
    std::vector<Vector3> expected = start;
    for (Vector3& p : expected) {
        p.x -= 0.1f;
    }
    const std::vector<Vector3> moved = positions(*committed(grid));
    ASSERT_EQ(moved.size(), expected.size());
    for (size_t i = 0; i < moved.size(); ++i) {
        EXPECT_NEAR(moved[i].x, expected[i].x, 1e-5f);
        EXPECT_NEAR(moved[i].y, expected[i].y, 1e-5f);
        EXPECT_EQ(moved[i].z, expected[i].z);
    }
    EXPECT_EQ(grid.modifier_, nullptr);
    EXPECT_EQ(positions(*editor.cube()->model()->layers().front()), cubeStart);

    // Pressed and released in place: the geometry stays where it is, the preview goes.
    press(tool, view, 0.39f, 0.54f);
    tool->onMouseUp(view.normalizedPointerPosition, view);
    const std::vector<Vector3> again = positions(*committed(grid));
    for (size_t i = 0; i < again.size(); ++i) {
        EXPECT_NEAR(again[i].x, moved[i].x, 1e-6f);
        EXPECT_NEAR(again[i].y, moved[i].y, 1e-6f);
    }
    EXPECT_EQ(grid.modifier_, nullptr);
}

TEST_F(MeshToolsTest, MovePressOnEmptySpaceDeselects) {
    auto tool = MeshTranslation::make(editor.controller);
    Model& grid = *editor.quad()->model();
    press(tool, editor.views[0], 0.39f, 0.54f);
    tool->onMouseUp(editor.views[0].normalizedPointerPosition, editor.views[0]);
    ASSERT_EQ(editor.controller.selectedNode(), editor.quad());

    NodePtr announced = editor.quad();
    editor.controller.owner().selectedNodeChanged.connect(
        [&](const NodePtr& now, const NodePtr&) { announced = now; });
    // Viewport 1 looks from further back: its corner shows neither the grid nor the cube.
    auto& view = editor.views[1];
    press(tool, view, 0.95f, 0.95f);
    EXPECT_EQ(editor.controller.selectedNode(), nullptr);
    EXPECT_EQ(announced, nullptr);
    EXPECT_FALSE(tool->intersection().has_value());
    EXPECT_EQ(grid.modifier_, nullptr);
    // The release finds no mesh to commit.
    const LayerPtr before = committed(grid);
    tool->onMouseUp(view.normalizedPointerPosition, view);
    EXPECT_EQ(committed(grid), before);
}

TEST_F(MeshToolsTest, SubdividePreviewsEveryTriangleAndEachApplyGoesOneLevelDeeper) {
    // The 4 × 4 grid: 2·H·V = 32 triangles and 25 points.
    Model& grid = *editor.quad()->model();
    MeshSubdivide::make(editor.controller);
    EXPECT_EQ(grid.layers().front()->polygons.size(), 6u * 16u);
    EXPECT_EQ(committed(grid)->polygons.size(), 32u);

    editor.controller.apply();
    EXPECT_EQ(committed(grid)->polygons.size(), 6u * 16u);
    EXPECT_EQ(committed(grid)->points.size(), 25u + 32u);
    EXPECT_EQ(grid.layers().front()->polygons.size(), 18u * 16u);

    editor.controller.apply();
    EXPECT_EQ(committed(grid)->polygons.size(), 18u * 16u);
}

} // namespace
} // namespace tessel

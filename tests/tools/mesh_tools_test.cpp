#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"
#include "tools/subdivision_surface.h"
#include "tools/tool_table.h"

namespace tessel::testing {

using Mode = Editor::Mode;

TEST(MeshToolsTest, MovePressSelectsTheMeshUnderThePointerAndTheReleaseCommitsTheMove) {
    FakeEditor editor;
    editor.pick(Mode::Mesh, 0);
    editor.window.setSelectedNode(editor.cube());
    const std::vector<Vector3> start = editor.grid().committed()->positions;
    const LayerPtr cube = editor.cube()->model()->committed();
    // Camera 0 sits inside the cube: the grid is hit before the cube's far side.
    editor.views[0].press(Vector3{0.11f, 0.04f, 0});
    EXPECT_EQ(editor.controller.selectedNode(), editor.quad());
    editor.views[0].dragTo(Vector3{0.01f, 0.04f, 0});
    EXPECT_EQ(editor.grid().committed()->positions, start);
    editor.views[0].release();
    for (size_t i = 0; i < start.size(); ++i) {
        expectNear(editor.grid().committed()->positions.at(i), start[i] + Vector3{-0.1f, 0, 0});
    }
    EXPECT_EQ(editor.grid().modifier(), nullptr);
    EXPECT_EQ(editor.cube()->model()->committed(), cube);
    // Viewport 1 shows nothing in its corner: a press there deselects.
    editor.views[1].press(0.95f, 0.95f);
    EXPECT_EQ(editor.controller.selectedNode(), nullptr);
}

TEST(MeshToolsTest, SubdivideShowsEveryFaceSplitAndEachApplyCommitsOneLevel) {
    FakeEditor editor;
    editor.pick(Mode::Mesh, 1);
    Model& grid = editor.grid();
    EXPECT_EQ(grid.layer()->faces.size(), 96u);
    EXPECT_EQ(grid.committed()->faces.size(), 32u);
    editor.controller.apply();
    EXPECT_EQ(grid.committed()->faces.size(), 96u);
    EXPECT_EQ(grid.committed()->positions.size(), 25u + 32u);
    EXPECT_EQ(grid.layer()->faces.size(), 288u);
    // Gestures do nothing.
    editor.views[0].click(0.4f, 0.6f);
    editor.controller.apply();
    EXPECT_EQ(grid.committed()->faces.size(), 288u);
}

// A preview or Apply that could pass the triangle limit is refused before it runs: the mesh
// shows and keeps its committed layer, and the editor hears of each refusal once.
TEST(MeshToolsTest, SubdivideIsRefusedOnlyPastTheTriangleLimit) {
    using Refusal = Model::Refusal;
    const size_t largestThatFits = kMaxTriangles / 3;
    for (const size_t faces : {largestThatFits, largestThatFits + 1}) {
        FakeEditor editor;
        std::vector<Refusal> refusals;
        editor.controller.editRefused.connect([&](Refusal r) { refusals.push_back(r); });
        Model& grid = editor.grid();
        grid.setCommitted(makeLayer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {faces, {0, 1, 2}}));
        const LayerPtr before = grid.committed();
        editor.pick(Mode::Mesh, 1);
        editor.controller.apply();
        if (faces == largestThatFits) {
            // The level applied; the next one would not fit and is not previewed.
            EXPECT_EQ(grid.committed()->faces.size(), 3 * faces);
            EXPECT_EQ(refusals, std::vector<Refusal>{Refusal::Preview});
        } else {
            EXPECT_EQ(grid.committed(), before);
            EXPECT_EQ(refusals, (std::vector<Refusal>{Refusal::Preview, Refusal::Commit}));
        }
        EXPECT_EQ(grid.shownLayer(), grid.committed());
    }
}

// The grid's triangles refine by Loop's rules: 25 points and 56 edges give 81 points and 128
// faces, each further level four times the faces. The cage's points come first in the result.
TEST(MeshToolsTest, SubdivisionSurfaceFollowsTheLevelAndADraggedCagePointAndEachCommitIsOneStep) {
    FakeEditor editor;
    Model& grid = editor.grid();
    const LayerPtr start = grid.committed();
    editor.pick(Mode::Mesh, static_cast<int>(std::size(kMeshTools)) - 1);
    ASSERT_NE(editor.tool<SubdivisionSurfaceTool>(), nullptr);
    const std::vector<ToolSetting> settings = editor.controller.toolSettings();
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_EQ(settings[0].choices.at(static_cast<size_t>(settings[0].value)), "Loop");
    EXPECT_EQ(grid.layer()->faces.size(), 128u);
    EXPECT_EQ(grid.layer()->positions.size(), 81u);
    EXPECT_EQ(grid.toolLayer()->positions, start->positions);
    editor.controller.setToolSetting(1, 2);
    EXPECT_EQ(grid.layer()->faces.size(), 512u);
    EXPECT_TRUE(editor.stepNames().empty());

    // Point 12 sits at the origin, in the middle of viewport 0; the drag takes it 0.1 along x.
    FakeViewport& view = editor.views[0];
    view.press(0.5f, 0.5f);
    view.dragTo(0.4f, 0.5f);
    EXPECT_EQ(grid.committed(), start);
    expectNear(grid.layer()->positions[12], {0.05f, 0, 0}, 0.02f);
    expectNear(grid.toolLayer()->positions[12], {0.1f, 0, 0});
    view.release();
    expectNear(grid.committed()->positions[12], {0.1f, 0, 0});
    EXPECT_EQ(grid.committed()->faces, start->faces);

    editor.controller.apply();
    EXPECT_EQ(grid.committed()->faces.size(), 512u);
    // Applied, the mesh shows as committed until a setting is set again.
    EXPECT_EQ(grid.layer()->faces.size(), 512u);
    EXPECT_EQ(grid.toolLayer(), nullptr);
    EXPECT_EQ(editor.stepNames(),
              (std::vector<std::string>{"Subdivision surface", "Subdivision surface"}));
    editor.history.undo();
    expectNear(grid.committed()->positions[12], {0.1f, 0, 0});
    editor.history.undo();
    EXPECT_EQ(grid.committed()->positions, start->positions);
}

} // namespace tessel::testing

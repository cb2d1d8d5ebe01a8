#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

namespace tessel::testing {

using Ids = std::vector<std::int64_t>;

Vector3 gridPoint(int i, int j) { return {i / 4.0f - 0.5f, j / 4.0f - 0.5f, 0}; }

// The start-up editor in Vertex mode with "Move", worked in viewport 1, which sees all the grid.
struct VertexToolsTest : ::testing::Test {
    Ids& selection() { return editor.controller.selectedPointsIds(); }
    // A rectangle from empty space around points 12, 13, 17 and 18, dragged from a corner.
    void dragAroundTheMiddle(int from = 0) {
        const Vector3 corners[] = {
            {-0.1f, -0.1f, 0}, {0.35f, -0.1f, 0}, {0.35f, 0.35f, 0}, {-0.1f, 0.35f, 0}};
        view.press(corners[from]);
        EXPECT_TRUE(selection().empty() && editor.controller.isDuringSelection());
        view.dragTo(corners[(from + 2) % 4]);
    }

    FakeEditor editor;
    FakeViewport& view = editor.views[1];
    Model& grid = editor.grid();
    const std::vector<Vector3> start = grid.committed()->positions;
};

TEST_F(VertexToolsTest, ClickSelectsThePointUnderThePointerAndARectangleWhatLiesInside) {
    view.press(gridPoint(1, 1));
    EXPECT_EQ(selection(), Ids{6});
    view.release();
    // The rectangle's box is drawn while it is dragged, beside the grid and the cube.
    const auto drawn = [&] { return editor.controller.prepareFrame(view).size(); };
    for (int corner = 0; corner < 4; ++corner) {
        dragAroundTheMiddle(corner);
        EXPECT_THAT(selection(), ::testing::UnorderedElementsAre(12, 13, 17, 18)) << corner;
        EXPECT_EQ(drawn(), 3u);
        view.release();
        EXPECT_EQ(drawn(), 2u);
    }
}

TEST_F(VertexToolsTest, MoveDragsTheSelectionUnderThePointerAndCommitsOnRelease) {
    // Ids that name no point are ignored. The press on point 18 keeps the whole selection.
    selection() = {12, 99, 13, 17, -3, 18};
    view.press(gridPoint(3, 3));
    // Each drag counts from the press: the pressed point 18 lands under the pointer.
    for (const Vector3& target : {Vector3{-0.3f, 0.1f, 0}, Vector3{0.3f, -0.2f, 0}}) {
        view.dragTo(target);
        for (const std::int64_t id : {12, 13, 17, 18}) {
            expectNear(grid.layer()->positions[id], start[id] + target - gridPoint(3, 3));
        }
        EXPECT_EQ(grid.layer()->positions[11], start[11]);
        EXPECT_EQ(grid.committed()->positions, start);
    }
    view.release();
    expectNear(grid.committed()->positions[12], {0.05f, -0.45f, 0});
}

TEST_F(VertexToolsTest, WeldMergesTheSelectionAtItsMeanAndSelectsTheMergedPoint) {
    editor.pick(Editor::Mode::Vertex, 1);
    dragAroundTheMiddle();
    selection().push_back(40); // names no point: left out
    view.release();
    // The four points become point 21; the six faces holding two of them collapse.
    const LayerPtr welded = grid.committed();
    EXPECT_EQ(welded->positions.size(), 22u);
    EXPECT_EQ(welded->faces.size(), 26u);
    EXPECT_EQ(welded->positions[21], Vector3(0.125f, 0.125f, 0));
    EXPECT_THAT(welded->faces[10], ::testing::ElementsAre(6, 7, 21));
    EXPECT_EQ(selection(), Ids{21});
    // A Shift+rectangle afterwards only adds point 0, and Apply finds no weld left to commit.
    view.press(Vector3{-0.6f, -0.6f, 0}, Editor::SelectionChange::Add);
    view.dragTo(Vector3{-0.4f, -0.4f, 0});
    view.release();
    EXPECT_THAT(selection(), ::testing::UnorderedElementsAre(0, 21));
    EXPECT_EQ(grid.layer()->positions, welded->positions);
    editor.controller.apply();
    EXPECT_EQ(grid.committed(), welded);

    // Welding every point collapses every face: the merged point goes, and the selection with it.
    view.press(Vector3{-0.7f, -0.7f, 0});
    view.dragTo(Vector3{0.7f, 0.7f, 0});
    view.release();
    EXPECT_EQ(grid.committed()->positions.size(), 0u);
    EXPECT_TRUE(selection().empty());
}

} // namespace tessel::testing

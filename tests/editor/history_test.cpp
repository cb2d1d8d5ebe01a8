// Undo and redo of every kind of change, driven as the user makes them, and the history's bounds.
#include "editor/scene_outline.h"

#include "support/fake_viewport.h"

#include <gmock/gmock.h>

#include <functional>

namespace tessel::testing {
namespace {

using Mode = Editor::Mode;
using ::testing::ElementsAre;

struct State {
    Layer layer;
    std::vector<std::int64_t> points;
    std::vector<std::uint32_t> faces;
};

TEST(HistoryTest, UndoAndRedoOfToolCommitsGiveBackLayersIdsAndSelections) {
    FakeEditor editor;
    History& history = editor.history;
    Editor& c = editor.controller;
    FakeViewport& view = editor.views[0];
    // The state each commit found and the one it left.
    std::vector<State> before;
    std::vector<State> after;
    const auto state = [&] {
        return State{*editor.grid().committed(), c.selectedPointsIds(), c.selectedFacesIds()};
    };
    const auto commit = [&](const std::function<void()>& gesture) {
        before.push_back(state());
        gesture();
        after.push_back(state());
    };

    // The delete key deletes nothing in Vertex mode.
    c.selectedFacesIds() = {0};
    c.perform(Command::DeleteFaces, view);
    editor.pick(Mode::Polygon, 3);
    view.press({0.11f, 0.04f, 0});
    view.dragTo(view.pointerPosition.x + 0.1f, view.pointerPosition.y);
    commit([&] { view.release(); });
    // A gesture that changes nothing is no step.
    editor.pick(Mode::Polygon, 0);
    view.press({0.7f, 0.7f, 0});
    view.dragTo(0.2f, 0.2f);
    view.release();
    editor.pick(Mode::Polygon, 5);
    view.press({-0.45f, 0.45f, 0});
    commit([&] { view.release(); });
    // In Polygon mode it deletes the faces named, once each, as one step.
    c.selectedFacesIds() = {5, 0, 5, 99};
    commit([&] { c.perform(Command::DeleteFaces, view); });
    editor.pick(Mode::Vertex, 1);
    c.selectedPointsIds() = {0, 1};
    view.press({-0.5f, -0.5f, 0});
    commit([&] { view.release(); });
    // A weld of one point moves it to the end of the list.
    view.press({0, -0.5f, 0});
    commit([&] { view.release(); });
    editor.pick(Mode::Mesh, 1);
    commit([&] { c.apply(); });
    ASSERT_THAT(editor.stepNames(), ElementsAre("Extrude", "Delete", "Delete 2 faces",
                                                "Weld 2 points", "Weld 1 point", "Subdivide"));
    EXPECT_EQ(after[2].layer.faces.size() + 2, before[2].layer.faces.size());
    EXPECT_TRUE(after[2].faces.empty());
    EXPECT_EQ(after[3].layer.positions.size() + 1, before[3].layer.positions.size());

    const auto expectState = [&](const State& s) {
        const Layer& layer = *editor.grid().committed();
        EXPECT_EQ(layer.positions, s.layer.positions);
        EXPECT_EQ(layer.faces, s.layer.faces);
        EXPECT_EQ(c.selectedPointsIds(), s.points);
        EXPECT_EQ(c.selectedFacesIds(), s.faces);
    };
    for (size_t i = before.size(); i-- > 0;) {
        SCOPED_TRACE("undo " + history.step(i).name());
        history.undo();
        expectState(before[i]);
    }
    for (size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE("redo " + history.step(i).name());
        history.redo();
        expectState(after[i]);
    }
    // Undone to the start, the grid follows its rows and columns again.
    while (history.canUndo()) {
        history.undo();
    }
    editor.grid().params()->setV(2);
    EXPECT_EQ(editor.grid().committed()->faces.size(), 16u);
}

TEST(HistoryTest, SceneAndPanelChangesAreStepsThatRestoreTreeSelectionAndValues) {
    FakeEditor editor;
    History& history = editor.history;
    SceneOutline outline(editor.window);
    const MeshPtr quad = editor.quad();
    const MeshPtr cube = editor.cube();
    const NodePtr root = editor.window.scene()->root();

    const MeshPtr addedCube = outline.addNode("Cube");
    outline.outlineSelectionChanged(quad);
    outline.removeNode();
    const MeshPtr grid = outline.addNode("Quad");
    outline.gridSizePanel.setRows(5);
    outline.gridSizePanel.setColumns(5.5);
    // A held slider is one change however far it moves; a move without holding is one each.
    outline.materialPanel.beginSlide();
    outline.materialPanel.slideAlpha(80);
    outline.materialPanel.slideAlpha(50);
    outline.materialPanel.endSlide();
    outline.materialPanel.slideAlpha(20);
    // Setting the shading it already has is no change.
    outline.materialPanel.setSmoothShading(true);
    outline.materialPanel.setSmoothShading(true);
    // Held with no mesh selected, the slider changes nothing.
    editor.window.setSelectedNode(nullptr);
    outline.materialPanel.beginSlide();
    outline.materialPanel.endSlide();
    ASSERT_THAT(editor.stepNames(),
                ElementsAre("Add Cube", "Delete Quad", "Add Quad", "Rows 3 → 5", "Columns 3 → 5",
                            "Opacity", "Opacity", "Smooth Shading"));
    const Layer grown = *grid->model()->committed();

    // Undone, a change shows on the mesh it was made to.
    history.undo();
    EXPECT_FALSE(grid->smoothShading);
    EXPECT_EQ(editor.window.selectedNode(), grid);
    editor.window.setSelectedNode(nullptr);
    history.undo();
    EXPECT_FLOAT_EQ(grid->material->opacity, 0.5f);
    EXPECT_EQ(editor.window.selectedNode(), grid);
    history.undo();
    EXPECT_FLOAT_EQ(grid->material->opacity, 1);
    history.undo();
    history.undo();
    EXPECT_EQ(grid->model()->committed()->faces.size(), 18u);
    history.undo();
    EXPECT_THAT(root->children(), ElementsAre(cube, addedCube));
    history.undo();
    EXPECT_THAT(root->children(), ElementsAre(quad, cube, addedCube));
    EXPECT_EQ(editor.window.selectedNode(), quad);
    history.undo();
    EXPECT_THAT(root->children(), ElementsAre(quad, cube));

    while (history.canRedo()) {
        history.redo();
    }
    EXPECT_THAT(root->children(), ElementsAre(cube, addedCube, grid));
    EXPECT_EQ(editor.window.selectedNode(), grid);
    EXPECT_EQ(grid->model()->committed()->faces, grown.faces);
    EXPECT_FLOAT_EQ(grid->material->opacity, 0.2f);
    EXPECT_TRUE(grid->smoothShading);
}

// The grid edited with the face tools as the user clicks them, each edit one step; layers[i] is
// the grid i edits in, and sizes[i] the bytes step i + 1 keeps.
struct EditedGrid {
    EditedGrid() { layers.push_back(*editor.grid().committed()); }

    // Extrudes, subdivides or deletes the lower right face of cell (i, j).
    void edit(int tool, int i, int j) {
        editor.pick(Mode::Polygon, tool);
        FakeViewport& view = editor.views[0];
        view.press(
            {0.25f * static_cast<float>(i) - 0.32f, 0.25f * static_cast<float>(j) - 0.43f, 0});
        if (tool == kExtrude) {
            view.dragTo(view.pointerPosition.x + 0.1f, view.pointerPosition.y);
        }
        view.release();
        layers.push_back(*editor.grid().committed());
        const History& history = editor.history;
        sizes.push_back(history.step(history.count() - 1).bytes());
    }
    void expectLayer(std::size_t i) const {
        SCOPED_TRACE("layer " + std::to_string(i));
        EXPECT_EQ(editor.grid().committed()->positions, layers.at(i).positions);
        EXPECT_EQ(editor.grid().committed()->faces, layers.at(i).faces);
    }

    static constexpr int kExtrude = 3, kSubdivide = 4, kDelete = 5;
    FakeEditor editor;
    std::vector<Layer> layers;
    std::vector<std::size_t> sizes;
};

TEST(HistoryTest, TheBudgetDropsTheOldestStepsAndUndoRestoresExactlyWhatRemains) {
    EditedGrid grid;
    History& history = grid.editor.history;
    std::vector<std::size_t> dropped;
    history.stepsDropped.connect([&](std::size_t n) { dropped.push_back(n); });
    grid.edit(EditedGrid::kExtrude, 0, 0);
    // Saved here.
    history.markClean();
    grid.edit(EditedGrid::kSubdivide, 3, 0);
    grid.edit(EditedGrid::kDelete, 0, 3);
    grid.edit(EditedGrid::kExtrude, 3, 3);
    grid.edit(EditedGrid::kSubdivide, 1, 1);
    ASSERT_EQ(history.count(), 5u);
    ASSERT_TRUE(dropped.empty());

    // A smaller budget drops the oldest steps at once, with the saved state they led to.
    history.setBudget(grid.sizes[2] + grid.sizes[3] + grid.sizes[4]);
    EXPECT_THAT(dropped, ElementsAre(2));
    EXPECT_EQ(history.count(), 3u);
    EXPECT_EQ(history.bytes(), history.budget());
    for (std::size_t i = 5; i-- > 2;) {
        history.undo();
        grid.expectLayer(i);
        EXPECT_FALSE(history.isClean());
    }
    EXPECT_FALSE(history.canUndo());

    // Under any budget the latest done step stays, and steps undone stay until a new one drops
    // them.
    history.redo();
    history.redo();
    history.setBudget(0);
    EXPECT_THAT(dropped, ElementsAre(2, 1));
    EXPECT_EQ(history.count(), 2u);
    EXPECT_EQ(history.doneCount(), 1u);
    history.undo();
    grid.expectLayer(3);
    history.redo();
    history.redo();
    grid.expectLayer(5);
    grid.edit(EditedGrid::kDelete, 2, 2);
    EXPECT_THAT(dropped, ElementsAre(2, 1, 2));
    EXPECT_EQ(history.count(), 1u);
    history.undo();
    grid.expectLayer(5);
}

TEST(HistoryTest, AStepRecordedAfterUndoDropsTheStepsUndoneAndTheSavedStateAmongThem) {
    EditedGrid grid;
    History& history = grid.editor.history;
    grid.edit(EditedGrid::kExtrude, 0, 0);
    grid.edit(EditedGrid::kSubdivide, 3, 0);
    grid.edit(EditedGrid::kDelete, 0, 3);
    history.markClean();
    history.undo();
    history.undo();
    grid.edit(EditedGrid::kSubdivide, 1, 1);
    EXPECT_THAT(grid.editor.stepNames(), ElementsAre("Extrude", "Subdivide"));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.bytes(), grid.sizes[0] + grid.sizes[3]);
    history.undo();
    grid.expectLayer(1);
    history.undo();
    grid.expectLayer(0);
    EXPECT_FALSE(history.isClean());
}

} // namespace
} // namespace tessel::testing

#include "editor/outline_view_controller.h"

#include "support/fake_viewport.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tessel {
namespace {

// The start-up window (root with "Quad" and "Cube", the grid selected) with its scene panel.
class OutlineViewControllerTest : public ::testing::Test {
  protected:
    OutlineViewControllerTest() {
        editor.window.selectedNodeChanged.connect(
            [this](const NodePtr& now, const NodePtr& before) {
                writes.emplace_back(now, before);
            });
    }

    const Node::Children& rootChildren() const { return editor.window.scene()->root()->children(); }

    testing::FakeEditor editor;
    OutlineViewController outline{editor.window};
    std::vector<std::pair<NodePtr, NodePtr>> writes;
};

TEST_F(OutlineViewControllerTest, AddingQuadRequestsTheGridPanelThenInsertsAndSelectsA3By3Grid) {
    std::vector<size_t> childCountAtRequest;
    outline.planeCreationRequested.connect(
        [&] { childCountAtRequest.push_back(rootChildren().size()); });

    const MeshPtr quad = outline.addNode("Quad");

    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(childCountAtRequest, std::vector<size_t>{2});
    ASSERT_EQ(rootChildren().size(), 3u);
    EXPECT_EQ(rootChildren()[2], quad);
    EXPECT_EQ(quad->name(), "Quad");
    EXPECT_EQ(quad->model()->layers().at(0)->points.size(), 16u);
    EXPECT_EQ(editor.window.selectedNode(), quad);
    EXPECT_EQ(outline.planeCreationViewController.rows(), 3);
    EXPECT_EQ(outline.planeCreationViewController.columns(), 3);
}

TEST_F(OutlineViewControllerTest,
       AddingCubeSelectsItWithoutTheGridPanelAndUnknownTitlesAddNothing) {
    int requests = 0;
    outline.planeCreationRequested.connect([&] { ++requests; });

    const MeshPtr cube = outline.addNode("Cube");
    EXPECT_EQ(outline.addNode("Sphere"), nullptr);
    EXPECT_EQ(outline.addNode(""), nullptr);

    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(cube->name(), "Cube");
    EXPECT_EQ(cube->model()->layers().at(0)->polygons.size(), 12u);
    EXPECT_EQ(rootChildren().size(), 3u);
    EXPECT_EQ(editor.window.selectedNode(), cube);
    EXPECT_FALSE(outline.planeCreationViewController.rows().has_value());
}

TEST_F(OutlineViewControllerTest,
       AddingDiscardsThePreviewOfThePreviouslySelectedMeshAndEmptiesSelections) {
    const MeshPtr grid = editor.quad();
    grid->model()->setModifier([](Model& model) { return ModifierResult{model.copy(), nullptr}; });
    editor.controller.selectedPointsIds = {0, 1};

    outline.addNode("Cube");

    EXPECT_EQ(grid->model()->modifier_, nullptr);
    EXPECT_TRUE(editor.controller.selectedPointsIds.empty());
}

TEST_F(OutlineViewControllerTest, RemovalIsOfferedOnlyForASelectedMesh) {
    EXPECT_TRUE(outline.canRemoveNode());

    const NodePtr root = editor.window.scene()->root();
    outline.outlineSelectionChanged(root);
    EXPECT_FALSE(outline.canRemoveNode());
    outline.removeNode();
    EXPECT_EQ(rootChildren().size(), 2u);
    EXPECT_EQ(editor.window.selectedNode(), root);

    editor.window.setSelectedNode(nullptr);
    EXPECT_FALSE(outline.canRemoveNode());
    outline.removeNode();
    EXPECT_EQ(rootChildren().size(), 2u);
}

TEST_F(OutlineViewControllerTest, RemovingTheSelectedMeshTakesItOutAndSelectsNothing) {
    const MeshPtr cube = editor.cube();
    outline.outlineSelectionChanged(cube);
    writes.clear();

    outline.removeNode();

    EXPECT_EQ(rootChildren(), Node::Children{editor.quad()});
    EXPECT_EQ(editor.window.selectedNode(), nullptr);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].second, cube);
    EXPECT_FALSE(outline.canRemoveNode());
}

TEST_F(OutlineViewControllerTest, AMeshAddedToAnEmptySceneBecomesTheRootAndCanBeRemovedAgain) {
    SplitViewController window;
    OutlineViewController empty(window);

    const MeshPtr cube = empty.addNode("Cube");
    EXPECT_EQ(window.scene()->nodes(), std::vector<NodePtr>{cube});

    empty.removeNode();
    EXPECT_TRUE(window.scene()->nodes().empty());
    EXPECT_EQ(window.selectedNode(), nullptr);
}

TEST_F(OutlineViewControllerTest, ASelectedRowWritesTheSelectedNodeAndNoRowKeepsIt) {
    const MeshPtr cube = editor.cube();
    outline.outlineSelectionChanged(cube);
    outline.outlineSelectionChanged(nullptr);

    EXPECT_EQ(editor.window.selectedNode(), cube);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0], std::make_pair(NodePtr(cube), NodePtr(editor.quad())));
}

TEST_F(OutlineViewControllerTest, ChangingRowsOrColumnsWritesTheSameNodeAgainSoTheEditorRebuilds) {
    const MeshPtr grid = editor.quad();
    editor.controller.selectedPointsIds = {3};

    outline.planeCreationViewController.setRows(6);
    outline.planeCreationViewController.setColumns(2);
    outline.planeCreationViewController.setColumns(2);

    using Write = std::pair<NodePtr, NodePtr>;
    EXPECT_EQ(writes, (std::vector<Write>{{grid, grid}, {grid, grid}}));
    // Point ids of the old grid mean nothing in the regenerated one.
    EXPECT_TRUE(editor.controller.selectedPointsIds.empty());
    EXPECT_EQ(grid->model()->layers().at(0)->points.size(), 3u * 7u);
}

} // namespace
} // namespace tessel

#include "editor/scene_outline.h"

#include "support/fake_viewport.h"

#include <gtest/gtest.h>

namespace tessel::testing {

struct SceneOutlineTest : ::testing::Test {
    const Node::Children& children() const { return editor.window.scene()->root()->children(); }

    FakeEditor editor;
    SceneOutline outline{editor.window};
};

TEST_F(SceneOutlineTest, AddingAMeshAppendsAndSelectsItAndRemovingTakesItOut) {
    std::vector<size_t> childrenAtRequest;
    outline.planeCreationRequested.connect([&] { childrenAtRequest.push_back(children().size()); });
    const MeshPtr quad = outline.addNode("Quad");
    EXPECT_EQ(outline.addNode("Sphere"), nullptr);
    const MeshPtr cube = outline.addNode("Cube");
    // The grid's size is asked for before it is inserted; only the grid has one.
    EXPECT_EQ(childrenAtRequest, std::vector<size_t>{2});
    EXPECT_EQ(children(), (Node::Children{editor.quad(), editor.cube(), quad, cube}));
    EXPECT_EQ(quad->model()->params()->u(), 3);
    EXPECT_EQ(editor.window.selectedNode(), cube);
    // The grid lost the selection, and with it the preview of its tool.
    EXPECT_EQ(quad->model()->modifier(), nullptr);

    // Removal is offered for a selected mesh only.
    outline.outlineSelectionChanged(editor.window.scene()->root());
    EXPECT_FALSE(outline.canRemoveNode());
    outline.outlineSelectionChanged(nullptr);
    EXPECT_FALSE(outline.canRemoveNode());
    outline.removeNode();
    EXPECT_EQ(children().size(), 4u);
    outline.outlineSelectionChanged(quad);
    EXPECT_TRUE(outline.canRemoveNode());
    outline.removeNode();
    EXPECT_EQ(children(), (Node::Children{editor.quad(), editor.cube(), cube}));
    EXPECT_EQ(editor.window.selectedNode(), nullptr);

    // Added to an empty scene, a mesh becomes its root; removing it empties the scene.
    Document window;
    SceneOutline empty(window);
    EXPECT_EQ(window.scene()->nodes(), std::vector<NodePtr>{empty.addNode("Cube")});
    empty.removeNode();
    EXPECT_TRUE(window.scene()->nodes().empty());
}

TEST_F(SceneOutlineTest, PanelsEditTheSelectedMeshsGridSizeAndOpacity) {
    std::vector<NodePtr> writes;
    editor.window.selectedNodeChanged.connect(
        [&](const NodePtr& n, const NodePtr&) { writes.push_back(n); });
    GridSizePanel& size = outline.gridSizePanel;
    editor.controller.selectedPointsIds() = {3};
    size.setRows(12);
    size.setColumns(std::nullopt);
    size.setColumns(4.7);
    EXPECT_EQ(size.rows(), 10);
    EXPECT_EQ(size.columns(), 4);
    // The grid is selected again, so the editor rebuilds its tool and drops stale ids.
    EXPECT_EQ(writes, std::vector<NodePtr>{editor.quad()});
    EXPECT_TRUE(editor.controller.selectedPointsIds().empty());
    EXPECT_EQ(editor.grid().layer()->positions.size(), 5u * 11u);

    MaterialPanel& material = outline.materialPanel;
    int announced = 0;
    material.opacityChanged.connect([&] { ++announced; });
    material.slideAlpha(50);
    EXPECT_EQ(editor.quad()->material->opacity, 0.5f);
    EXPECT_EQ(announced, 1);
    editor.cube()->material->opacity = 0.25f;
    EXPECT_EQ(outline.creationPanel(), SceneOutline::CreationPanel::Grid);
    outline.outlineSelectionChanged(editor.cube());
    EXPECT_EQ(material.sliderValue(), 25.0);
    EXPECT_FALSE(size.rows().has_value());
    EXPECT_EQ(outline.creationPanel(), SceneOutline::CreationPanel::Cube);
    outline.outlineSelectionChanged(editor.window.scene()->root());
    EXPECT_EQ(outline.creationPanel(), SceneOutline::CreationPanel::None);
    editor.window.setSelectedNode(nullptr);
    material.slideAlpha(10);
    EXPECT_FALSE(material.sliderValue().has_value());
}

// The panel describes what the mesh is now: an edited grid's rows and columns no longer apply (and
// writing them records nothing), a cube's size and centre follow its points, any other mesh has
// only its name and counts.
TEST_F(SceneOutlineTest, PanelsDescribeWhatTheSelectedMeshIsNow) {
    History& history = editor.history;
    GridSizePanel& size = outline.gridSizePanel;
    EXPECT_TRUE(size.applies());
    editor.pick(Editor::Mode::Polygon, 5);
    editor.views[0].press(Vector3{-0.45f, 0.45f, 0});
    editor.views[0].release();
    ASSERT_EQ(history.count(), 1u);
    EXPECT_FALSE(size.applies());
    size.setRows(6);
    EXPECT_EQ(size.rows(), 4);
    EXPECT_EQ(history.count(), 1u);
    history.undo();
    EXPECT_TRUE(size.applies());

    outline.outlineSelectionChanged(editor.cube());
    EXPECT_FALSE(size.applies());
    ASSERT_TRUE(outline.cubeBounds().has_value());
    EXPECT_EQ(outline.cubeBounds()->min, Vector3(-1, -1, -1));
    LayerPtr moved = std::make_shared<Layer>(*editor.cube()->model()->committed());
    moved->positions[6].x = 3;
    editor.cube()->model()->setCommitted(moved);
    EXPECT_EQ(outline.cubeBounds()->max, Vector3(3, 1, 1));

    for (const MeshPtr& other : {Mesh::make(Model::makeCube(), "box"),
                                 Mesh::make(QuadGenerator(1, 2).generate(), "scan")}) {
        editor.window.scene()->insert(other);
        outline.outlineSelectionChanged(other);
        EXPECT_EQ(outline.creationPanel(), SceneOutline::CreationPanel::Mesh);
        EXPECT_FALSE(outline.cubeBounds().has_value());
        const Layer& layer = *other->model()->committed();
        const auto summary = outline.meshSummary();
        EXPECT_EQ(summary->name, other->name());
        EXPECT_EQ(summary->points, layer.positions.size());
        EXPECT_EQ(summary->faces, layer.faces.size());
    }
}

// A primitive comes selected, centred in every view, with its settings in the panel until its
// points are edited; its creation and each change of a setting are one step each.
TEST_F(SceneOutlineTest, PrimitivesAreFramedAndTheirSettingsRegenerateThemAsSteps) {
    History& history = editor.history;
    const MeshPtr sphere = outline.addNode("UV sphere");
    EXPECT_EQ(sphere->name(), "UV sphere");
    EXPECT_EQ(editor.window.selectedNode(), sphere);
    EXPECT_EQ(outline.creationPanel(), SceneOutline::CreationPanel::Primitive);
    for (const FakeViewport& view : editor.views) {
        const Vector4 centre = view.camera->viewProjection(view.aspectRatio) * Vector4{0, 0, 0, 1};
        EXPECT_NEAR(centre[0] / centre[3], 0, 1e-4);
        EXPECT_NEAR(centre[1] / centre[3], 0, 1e-4);
    }

    PrimitivePanel& panel = outline.primitivePanel;
    panel.setValue(0, 8);
    panel.setValue(0, std::nullopt);
    panel.setValue(9, 8);
    EXPECT_EQ(sphere->model()->committed()->positions.size(), 8u * 15 + 2);
    EXPECT_EQ(editor.stepNames(), (std::vector<std::string>{"Add UV sphere", "Segments 32 → 8"}));
    history.undo();
    EXPECT_EQ(sphere->model()->committed()->positions.size(), 482u);
    history.redo();

    // Edited, the settings no longer apply.
    sphere->model()->setCommitted(makeBoxLayer(1));
    EXPECT_FALSE(panel.applies());
    panel.setValue(1, 4);
    EXPECT_EQ(sphere->model()->primitive()->value(1), 16);
    EXPECT_EQ(outline.addNode("Cone")->model()->committed()->faces.size(), 33u);
    EXPECT_EQ(panel.params()->kind(), PrimitiveKind::Cone);
}

TEST(NamingTest, MeshesAFileLeavesNamelessAreNamedAfterTheFile) {
    const NodePtr root =
        Node::make({}, {Mesh::make(Model::make()), Mesh::make(Model::make(), "wing"),
                        Node::make({}, {Mesh::make(Model::make(), "defaultobject")})});
    nameNamelessMeshes(root, "bunny");
    std::vector<std::string> names;
    for (const NodePtr& node : root->flat()) {
        names.push_back(node->name());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"unnamed", "bunny", "wing", "unnamed", "bunny 2"}));
}

} // namespace tessel::testing

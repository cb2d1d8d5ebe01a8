#include "editor/detail_view_controller.h"

#include "support/fake_viewport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::FakeViewport;
using ::testing::ElementsAre;

size_t triangleCount(const Layer& layer) {
    size_t n = 0;
    for (const PolygonPtr& polygon : layer.polygons) {
        n += polygon->isTriangle() ? 1 : 2;
    }
    return n;
}

// A tool that records what reaches it.
struct RecordingTool : Operation {
    std::vector<std::pair<std::string, Vec2>> calls;
    std::vector<Viewport*> views;
    void onMouseDown(Vec2 position, Viewport& view) override { record("down", position, view); }
    void onMouseDragged(Vec2 delta, Viewport& view) override { record("drag", delta, view); }
    void onMouseUp(Vec2 position, Viewport& view) override { record("up", position, view); }
    void record(const char* what, Vec2 value, Viewport& view) {
        calls.emplace_back(what, value);
        views.push_back(&view);
    }
};

// Writes the modifier that shifts the first layer by `dz`, counting its evaluations.
void installShift(Model& model, float dz, int* evaluations) {
    model.setModifier([dz, evaluations](Model& m) {
        ++*evaluations;
        const ModelPtr shifted = m.copy();
        for (const PointPtr& point : shifted->layers()[0]->points) {
            point->position.z += dz;
        }
        return ModifierResult{shifted, nullptr};
    });
}

TEST(DetailViewControllerTest, EveryToolHasAFactorySlot) {
    SplitViewController window;
    DetailViewController controller(window);

    // Names and appliable flags, tool by tool, with a factory slot for each.
    std::vector<std::string> rows;
    for (size_t m = 0; m < controller.modes.size(); ++m) {
        const auto& factories = controller.operations.at(static_cast<DetailViewController::Mode>(m));
        ASSERT_EQ(factories.size(), controller.modes[m].tools.size());
        for (const auto& tool : controller.modes[m].tools) {
            rows.push_back(controller.modes[m].name + "/" + tool.name +
                           (tool.isAppliable ? "*" : ""));
        }
    }
    EXPECT_THAT(rows, ElementsAre("Vertex/Move", "Vertex/Weld", "Polygon/Move", "Polygon/Scale",
                                  "Polygon/Plane cut*", "Polygon/Extrude", "Polygon/Subdivide",
                                  "Polygon/Delete", "Mesh/Move", "Mesh/Subdivide*"));

}

TEST(DetailViewControllerTest, ViewLoadingBuildsTheInitialSceneAndSelectsTheGrid) {
    FakeEditor editor;
    const ScenePtr& scene = editor.window.scene();
    ASSERT_EQ(scene->nodes().size(), 1u);
    const NodePtr root = scene->root();
    EXPECT_EQ(root->name(), "unnamed");
    EXPECT_FALSE(root->transform);

    const MeshPtr quad = editor.quad();
    const MeshPtr cube = editor.cube();
    ASSERT_NE(quad, nullptr);
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(root->children(), (Node::Children{quad, cube}));
    EXPECT_EQ(quad->parent.lock(), root);
    EXPECT_NE(quad->material, cube->material);
    EXPECT_EQ(quad->model()->params()->u(), 4);
    EXPECT_EQ(quad->model()->params()->v(), 4);

    EXPECT_EQ(editor.window.selectedNode(), quad);
    EXPECT_EQ(editor.controller.selectedMesh(), quad);
}

TEST(DetailViewControllerTest, ViewLoadingBindsEachViewportToItsCameraAndVolumes) {
    FakeEditor editor(1.5f);
    DetailViewController& controller = editor.controller;
    ASSERT_EQ(controller.renderers.size(), 4u);

    std::set<const Mesh*> volumes;
    for (size_t i = 0; i < 4; ++i) {
        FakeViewport& view = editor.views[i];
        EXPECT_EQ(controller.renderers[i], &view);
        EXPECT_EQ(view.camera(), controller.cameras[i]);
        EXPECT_EQ(view.owner(), &controller);
        EXPECT_EQ(view.node()->name(), "unnamed");
        EXPECT_TRUE(view.node()->transform);

        for (const MeshPtr& volume : {view.selectionVolume, view.clickSelectionVolume}) {
            ASSERT_NE(volume, nullptr);
            EXPECT_EQ(triangleCount(*volume->model()->layers().at(0)), 12u);
            volumes.insert(volume.get());
        }

        const float z = i == 0 ? 0.5f : 2.5f;
        EXPECT_EQ(controller.cameras[i]->localMatrix, Matrix::translation({0, 0, z}));

        // The node's world matrix is the view-projection: a point on the camera's axis at
        // distance d lands in the centre at depth zn (d − zn) / ((zf − zn) d) with fov 1.
        const float d = 0.5f;
        const Vector4 projected = view.node()->matrix() * Vector4(0, 0, z - d, 1);
        const Vector3 device = projected.dehomogenized();
        EXPECT_NEAR(device.x, 0, 1e-6);
        EXPECT_NEAR(device.y, 0, 1e-6);
        EXPECT_NEAR(device.z, 0.125f * (d - 0.125f) / (0.875f * d), 1e-6);
        // One world unit to the right at that distance: scaled by zn / (fov d), then mirrored
        // and divided by the aspect ratio.
        const Vector3 right = (view.node()->matrix() * Vector4(1, 0, z - d, 1)).dehomogenized();
        EXPECT_NEAR(right.x, -1 / (1.5f * d), 1e-5);
    }
    EXPECT_EQ(volumes.size(), 8u) << "every volume is its own mesh";

    // The finalizer follows the aspect ratio and the camera without being reinstalled.
    const Matrix before = editor.views[1].node()->matrix();
    editor.views[1].aspect = 2.0f;
    EXPECT_NE(editor.views[1].node()->matrix(), before);
}

TEST(DetailViewControllerTest, EverySelectionWriteRerunsModeSelectionOnce) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    int reruns = 0;
    controller.pickersChanged.connect([&] { ++reruns; });

    controller.modeSelected(1);
    reruns = 0;
    for (const NodePtr& node : {NodePtr(editor.cube()), NodePtr(editor.cube()), NodePtr(),
                                editor.window.scene()->root()}) {
        controller.selectedPointsIds = {1, 2};
        controller.selectedFacesIds = {3};
        const int before = reruns;
        editor.window.setSelectedNode(node);
        EXPECT_EQ(reruns, before + 1);
        EXPECT_TRUE(controller.selectedPointsIds.empty());
        EXPECT_TRUE(controller.selectedFacesIds.empty());
        EXPECT_EQ(controller.mode, DetailViewController::Mode::Polygon);
    }
}

TEST(DetailViewControllerTest, ModeSelectionResetsTheToolPickerOnlyWhenTheModeChanges) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;

    controller.modeSelected(1);
    controller.toolSelected(4);
    EXPECT_EQ(controller.toolTag(), 4);
    // Another node selected: same mode, the user's tool stays.
    editor.window.setSelectedNode(editor.cube());
    EXPECT_EQ(controller.toolTag(), 4);
    controller.modeSelected(1);
    EXPECT_EQ(controller.toolTag(), 4);
    // Mesh has two tools: showing tool 4 there would be meaningless.
    controller.modeSelected(2);
    EXPECT_EQ(controller.mode, DetailViewController::Mode::Mesh);
    EXPECT_EQ(controller.toolTag(), 0);
}

TEST(DetailViewControllerTest, ToolSelectionNeedsASelectedMeshAndAValidTag) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    const auto placeholder = std::make_shared<RecordingTool>();

    editor.window.setSelectedNode(editor.window.scene()->root());
    controller.op = placeholder;
    controller.toolSelected(1);
    EXPECT_EQ(controller.op, placeholder) << "a plain node selected: the tool stays";
    EXPECT_EQ(controller.toolTag(), 1) << "but the picker shows the choice";

    editor.window.setSelectedNode(editor.cube());
    controller.op = placeholder;
    controller.toolSelected(2);
    EXPECT_EQ(controller.op, placeholder) << "Vertex mode has no tool 2";
    EXPECT_EQ(controller.toolTag(), 1);
    controller.toolSelected(-1);
    EXPECT_EQ(controller.op, placeholder);

    controller.toolSelected(0);
    EXPECT_NE(controller.op, placeholder) << "a mesh selected: the factory's tool replaces it";
    EXPECT_EQ(controller.toolTag(), 0);
}

TEST(DetailViewControllerTest, ApplyCommitsThePreviewAndKeepsItInstalled) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    const MeshPtr cube = editor.cube();
    editor.window.setSelectedNode(cube);
    int evaluations = 0;
    installShift(*cube->model(), 1.0f, &evaluations);
    const float z0 = cube->model()->copy()->layers()[0]->points[0]->position.z;

    controller.apply();
    EXPECT_NE(cube->model()->modifier_, nullptr);
    EXPECT_FLOAT_EQ(cube->model()->copy()->layers()[0]->points[0]->position.z, z0 + 1);
    controller.apply();
    EXPECT_FLOAT_EQ(cube->model()->copy()->layers()[0]->points[0]->position.z, z0 + 2);
    // The preview now shows the edit once more on top of the committed geometry.
    EXPECT_FLOAT_EQ(cube->model()->layers()[0]->points[0]->position.z, z0 + 3);
    EXPECT_EQ(controller.mode, DetailViewController::Mode::Vertex);
}

TEST(DetailViewControllerTest, ApplyWithoutASelectedMeshDoesNothing) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    int evaluations = 0;
    installShift(*editor.cube()->model(), 1.0f, &evaluations);
    editor.window.setSelectedNode(editor.window.scene()->root());
    EXPECT_FALSE(controller.canApply());
    controller.apply();
    editor.window.setSelectedNode(nullptr);
    controller.apply();
    EXPECT_EQ(evaluations, 0);
    editor.window.setSelectedNode(editor.quad());
    EXPECT_TRUE(controller.canApply());
}

TEST(DetailViewControllerTest, RenderingOptionsFollowTheLastClickedViewport) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    EXPECT_EQ(&controller.recentView(), &editor.views[0]);

    editor.views[2].renderLines = false;
    editor.views[2].click(0.5f, 0.5f);
    EXPECT_EQ(&controller.recentView(), &editor.views[2]);
    EXPECT_EQ(controller.renderingOptionsControl, (std::array<bool, 3>{true, false, true}));

    controller.renderingOptionsControlClicked(2, false);
    EXPECT_FALSE(editor.views[2].renderFilled);
    EXPECT_EQ(controller.renderingOptionsControl, (std::array<bool, 3>{true, false, false}));
    for (const size_t other : {0u, 1u, 3u}) {
        EXPECT_TRUE(editor.views[other].renderPoints && editor.views[other].renderLines &&
                    editor.views[other].renderFilled);
    }

    editor.views[1].click(0.1f, 0.1f);
    EXPECT_EQ(controller.renderingOptionsControl, (std::array<bool, 3>{true, true, true}));
    controller.renderingOptionsControlClicked(0, false);
    EXPECT_FALSE(editor.views[1].renderPoints);
    EXPECT_TRUE(editor.views[2].renderPoints);
}

TEST(DetailViewControllerTest, ViewportGesturesReachControllerToolAndEveryViewport) {
    FakeEditor editor;
    DetailViewController& controller = editor.controller;
    const auto tool = std::make_shared<RecordingTool>();
    FakeViewport& view = editor.views[3];

    // Polygon mode: everything goes to the tool (Vertex-mode selection is in input_dispatch_test).
    controller.modeSelected(1);
    controller.op = tool;
    tool->calls.clear();
    for (FakeViewport& v : editor.views) {
        v.updateCount = 0;
    }
    controller.isDuringSelection = true;
    view.press(0.25f, 0.5f);
    view.dragTo(0.75f, 0.5f);
    view.release();
    EXPECT_FALSE(view.isMouseDown);
    EXPECT_FALSE(view.isMouseDragged);
    EXPECT_FALSE(controller.isDuringSelection);
    EXPECT_EQ(view.normalizedMouseStartLocation, (Vec2{0.25f, 0.5f}));
    ASSERT_EQ(tool->calls.size(), 3u);
    EXPECT_EQ(tool->calls[0], std::make_pair(std::string("down"), Vec2{0.25f, 0.5f}));
    EXPECT_EQ(tool->calls[1], std::make_pair(std::string("drag"), Vec2{1.0f, 0.0f}));
    // The release reports where the pointer last was.
    EXPECT_EQ(tool->calls[2], std::make_pair(std::string("up"), Vec2{0.75f, 0.5f}));
    EXPECT_THAT(tool->views, ::testing::Each(&view));
    for (const FakeViewport& v : editor.views) {
        EXPECT_GE(v.updateCount, 3) << "every event repaints all viewports";
    }
}

TEST(DetailViewControllerTest, TeardownReleasesPreviewsSubscriptionAndViewports) {
    SplitViewController window;
    std::array<FakeViewport, 4> views;
    MeshPtr quad;
    {
        DetailViewController controller(window);
        controller.viewDidLoad({&views[0], &views[1], &views[2], &views[3]});
        quad = controller.selectedMesh();
        int evaluations = 0;
        installShift(*quad->model(), 1.0f, &evaluations);
        installShift(*asMesh(window.scene()->root()->children()[1])->model(), 1.0f, &evaluations);
    }
    EXPECT_EQ(window.selectedNodeChanged.subscriberCount(), 0u);
    for (const MeshPtr& mesh : window.scene()->meshes()) {
        EXPECT_EQ(mesh->model()->modifier_, nullptr) << mesh->name();
    }
    // Late events from a viewport must not reach the dead controller.
    views[0].click(0.5f, 0.5f);
    views[0].keyDown("d");
    window.setSelectedNode(nullptr);
    EXPECT_EQ(views[0].owner(), nullptr);
}

TEST(DetailViewControllerDeathTest, ProgrammingErrorsStop) {
    SplitViewController window;
    DetailViewController controller(window);
    EXPECT_DEATH(controller.recentView(), "recentView");
    FakeViewport view;
    EXPECT_DEATH(controller.viewDidLoad({&view, &view, nullptr, &view}), "viewport 2");
    EXPECT_DEATH(controller.modeSelected(3), "modeSelected");
}

} // namespace
} // namespace tessel

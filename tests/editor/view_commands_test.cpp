#include "scene/ground_grid.h"
#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"
#include "tools/polygon_tools.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace tessel::testing {

using Ids = std::vector<std::int64_t>;
using Change = Editor::SelectionChange;
using ::testing::ElementsAre;

namespace {

Vector3 gridPoint(int i, int j) { return {i / 4.0f - 0.5f, j / 4.0f - 0.5f, 0}; }

// The largest of |x| and |y| on the screen over every point of every mesh, or infinity when one
// lies off the screen or before the near plane.
float screenExtent(FakeEditor& editor, const Viewport& view) {
    float extent = 0;
    for (const MeshPtr& mesh : editor.controller.meshes()) {
        const Matrix m = view.viewProjection() * mesh->matrix();
        for (const Vector3& p : mesh->model()->layer()->positions) {
            const Vector4 clip = m * Vector4(p, 1);
            const Vector3 d = clip.dehomogenized();
            if (!(clip.w() > 0 && d.z >= 0 && std::abs(d.x) <= 1 && std::abs(d.y) <= 1)) {
                return INFINITY;
            }
            extent = std::max({extent, std::abs(d.x), std::abs(d.y)});
        }
    }
    return extent;
}

} // namespace

TEST(ViewCommandsTest, FrameAllShowsEveryPointFillingEachViewportWhateverItsShapeAndTurn) {
    for (const float aspect : {0.4f, 1.0f, 2.5f}) {
        FakeEditor editor(aspect);
        Editor& c = editor.controller;
        editor.cube()->localMatrix = Matrix::translation({1.5f, 0.5f, -2});
        for (int i = 0; i < 4; ++i) {
            FakeViewport& view = editor.views[static_cast<size_t>(i)];
            c.beginNavigation(view);
            c.orbit(view, {0.3f * static_cast<float>(i), -0.2f * static_cast<float>(i)});
            c.perform(Command::FrameAll, view);
            const float extent = screenExtent(editor, view);
            // The box's corners fill the view to 0.9; turned, the meshes fill less of it.
            EXPECT_LE(extent, 0.9f + 1e-4f) << aspect << " " << i;
            EXPECT_GT(extent, i == 0 ? 0.85f : 0.4f) << aspect << " " << i;
        }
        // A wheel turn elsewhere leaves the recent view (a tool may be dragging in it).
        c.zoom(editor.views[0], {0.5f, 0.5f}, 1);
        EXPECT_EQ(&c.recentView(), &editor.views[3]);
        c.perform(Command::ResetCameras, editor.views[0]);
        EXPECT_EQ(c.cameras()[1]->localMatrix, Matrix::translation({0, 0, 2.5f}));
    }
}

TEST(ViewCommandsTest, SideViewsLookAtThePivotAlongTheirAxisWithTheirUpAndKeepTheDistance) {
    const struct {
        Command command;
        Vector3 eye; // from the grid's centre, which is the pivot
        Vector3 up;
    } views[] = {
        {Command::ViewFront, {0, 0, 1}, {0, 1, 0}}, {Command::ViewBack, {0, 0, -1}, {0, 1, 0}},
        {Command::ViewLeft, {-1, 0, 0}, {0, 1, 0}}, {Command::ViewRight, {1, 0, 0}, {0, 1, 0}},
        {Command::ViewTop, {0, 1, 0}, {0, 0, -1}},  {Command::ViewBottom, {0, -1, 0}, {0, 0, 1}},
    };
    for (const auto& v : views) {
        FakeEditor editor;
        editor.controller.perform(v.command, editor.views[1]);
        const Matrix& m = editor.controller.cameras()[1]->localMatrix;
        expectRotation(m);
        expectNear(m.translationPart(), v.eye * 2.5f);
        expectNear({m(0, 1), m(1, 1), m(2, 1)}, v.up);
    }
    // A camera nearer than four near-plane depths backs off to that; with nothing to look at,
    // the views turn about the origin.
    FakeEditor editor;
    const CameraPtr& camera = editor.controller.cameras()[1];
    camera->localMatrix = Matrix::translation({0, 0, 0.2f});
    editor.controller.perform(Command::ViewRight, editor.views[1]);
    expectNear(camera->localMatrix.translationPart(), {4 * camera->zn, 0, 0});
    editor.window.scene()->root()->setChildren({});
    editor.window.setSelectedNode(nullptr);
    editor.controller.perform(Command::ViewTop, editor.views[1]);
    expectNear(camera->localMatrix.translationPart(), {0, 4 * camera->zn, 0});
}

// The axis views name themselves and the plane of their grid; a turn of the camera makes a user
// view; moves that keep the direction keep the name; resetting names every view afresh.
TEST(ViewCommandsTest, EachViewIsNamedAfterWhatLastTurnedItsCamera) {
    FakeEditor editor;
    Editor& c = editor.controller;
    FakeViewport& view = editor.views[1];
    const auto label = [&view] { return viewLabel(view); };
    EXPECT_EQ(label(), "Camera 2 · Perspective");
    c.perform(Command::ViewFront, view);
    EXPECT_EQ(label(), "Front");
    c.beginNavigation(view);
    c.pan(view, {0.5f, 0.5f}, {0.6f, 0.4f});
    c.zoom(view, {0.3f, 0.5f}, 1);
    c.orbit(view, {0, 0});
    c.perform(Command::FrameAll, view);
    view.key("a");
    view.key("q");
    EXPECT_EQ(label(), "Front");
    c.perform(Command::ViewTop, view);
    EXPECT_EQ(gridPlaneFor(view.viewName), GridPlane::Y);
    view.key("x");
    EXPECT_EQ(label(), "User");
    EXPECT_EQ(gridPlaneFor(view.viewName), GridPlane::Z);
    c.perform(Command::ViewLeft, view);
    EXPECT_EQ(gridPlaneFor(view.viewName), GridPlane::X);
    c.orbit(view, {0.1f, 0});
    EXPECT_EQ(label(), "User");
    EXPECT_EQ(viewLabel(editor.views[0]), "Camera 1 · Perspective");
    c.perform(Command::ResetCameras, editor.views[0]);
    EXPECT_EQ(label(), "Camera 2 · Perspective");
}

TEST(ViewCommandsTest, TheWheelZoomsTowardThePointUnderThePointerAndEveryMoveRepaintsItsView) {
    FakeEditor editor;
    FakeViewport& view = editor.views[1];
    int repaints = 0;
    int others = 0;
    editor.controller.viewMoved.connect(
        [&](Viewport& moved) { ++(&moved == &view ? repaints : others); });
    editor.controller.viewsChanged.connect([&] { ++others; });
    // At the depth of the pivot, the grid's centre.
    const Vector3 under{0.3f, 0.2f, 0};
    const Vec2 at = view.normalizedOf(under);
    const float distance = (view.camera->localMatrix.translationPart() - under).length();
    editor.controller.zoom(view, at, 2);
    EXPECT_NEAR(view.normalizedOf(under).x, at.x, 1e-5f);
    EXPECT_NEAR(view.normalizedOf(under).y, at.y, 1e-5f);
    EXPECT_NEAR((view.camera->localMatrix.translationPart() - under).length(),
                distance * 0.85f * 0.85f, 1e-5f);
    editor.controller.beginNavigation(view);
    editor.controller.orbit(view, {0.1f, 0});
    editor.controller.pan(view, {0.5f, 0.5f}, {0.6f, 0.5f});
    EXPECT_EQ(repaints, 3);
    EXPECT_EQ(others, 0);
}

TEST(ViewCommandsTest, ShiftAddsAndCtrlRemovesPointsByClickAndByRectangleInEitherDirection) {
    FakeEditor editor;
    FakeViewport& view = editor.views[1];
    Ids& selection = editor.controller.selectedPointsIds();
    const auto rectangle = [&](Vector3 from, Vector3 to, Change change) {
        view.press(from, change);
        view.dragTo(to);
        view.release();
    };
    view.click(view.normalizedOf(gridPoint(0, 0)).x, view.normalizedOf(gridPoint(0, 0)).y);
    EXPECT_EQ(selection, Ids{0});
    const std::vector<Vector3> start = editor.grid().committed()->positions;
    // Around points 12, 13, 17, 18, dragged toward the lower left.
    rectangle({0.35f, 0.35f, 0}, {-0.1f, -0.1f, 0}, Change::Add);
    EXPECT_EQ(selection, (Ids{0, 12, 13, 17, 18}));
    view.press(gridPoint(4, 4), Change::Add);
    view.release();
    EXPECT_EQ(selection, (Ids{0, 12, 13, 17, 18, 24}));
    // Around 13 and 18, dragged toward the upper right; then point 0 clicked away.
    rectangle({0.1f, -0.1f, 0}, {0.35f, 0.35f, 0}, Change::Remove);
    EXPECT_EQ(selection, (Ids{0, 12, 17, 24}));
    view.press(gridPoint(0, 0), Change::Remove);
    view.dragTo(0.9f, 0.9f);
    view.release();
    EXPECT_EQ(selection, (Ids{12, 17, 24}));
    // With "Weld" picked, a Shift+click too only selects.
    editor.pick(Editor::Mode::Vertex, 1);
    view.press(gridPoint(0, 0), Change::Add);
    view.release();
    // None of these gestures reached the tool: nothing moved, nothing was committed.
    EXPECT_EQ(editor.grid().committed()->positions, start);
    EXPECT_EQ(editor.grid().layer()->positions, start);
}

TEST(ViewCommandsTest, ShiftClickAddsFacesForToolsThatActOnSeveralAndOnlyForThose) {
    // Face 0 clicked with "Move", then face 4 Shift+clicked and dragged with the tool: "Delete"
    // removes both, "Extrude" pulls out both (apart, three walls each), "Subdivide" takes the
    // Shift+click as a click and splits face 4 alone.
    for (const auto& [tool, selected, triangles] :
         {std::tuple{5, 0u, 30u}, {3, 2u, 38u}, {4, 1u, 34u}}) {
        FakeEditor editor;
        FakeViewport& view = editor.views[1];
        editor.pick(Editor::Mode::Polygon, 0);
        view.click(view.normalizedOf({-0.45f, -0.48f, 0}).x,
                   view.normalizedOf({-0.45f, -0.48f, 0}).y);
        editor.controller.toolSelected(tool);
        view.press({0.2f, -0.48f, 0}, Change::Add);
        view.dragTo(0.9f, 0.9f);
        view.release();
        EXPECT_EQ(editor.controller.selectedFacesIds().size(), selected) << tool;
        EXPECT_EQ(editor.grid().committed()->faces.size(), triangles) << tool;
    }
}

TEST(ViewCommandsTest, SelectionCommandsAndStatusCountPointsOrFacesOfTheMode) {
    FakeEditor editor;
    Editor& c = editor.controller;
    Viewport& view = editor.views[0];
    EXPECT_EQ(c.meshStatus(), "Quad: 25 points, 32 faces");
    EXPECT_THAT(std::string(c.toolHint()), ::testing::HasSubstr("rectangle"));
    // Invert drops the ids that name no point.
    c.selectedPointsIds() = {3, 99, 7};
    c.perform(Command::InvertSelection, view);
    EXPECT_EQ(c.selectionStatus(), "23 of 25 points selected");
    EXPECT_EQ(c.selectedPointsIds().size(), 23u);
    c.perform(Command::SelectAll, view);
    EXPECT_EQ(c.selectionStatus(), "25 of 25 points selected");
    c.perform(Command::SelectNone, view);
    EXPECT_EQ(c.selectionStatus(), "0 of 25 points selected");
    editor.pick(Editor::Mode::Polygon, 0);
    c.selectedFacesIds() = {0, 5};
    c.perform(Command::InvertSelection, view);
    EXPECT_EQ(c.selectionStatus(), "30 of 32 faces selected");
    EXPECT_EQ(c.selectedFacesIds().size(), 30u);
    c.perform(Command::SelectAll, view);
    EXPECT_EQ(c.selectionStatus(), "32 of 32 faces selected");
    EXPECT_EQ(c.selectedFacesIds().back(), 31u);
    // The counts are those the viewports show: here the preview of one more level.
    editor.pick(Editor::Mode::Mesh, 1);
    EXPECT_EQ(c.meshStatus(), "Quad: 57 points, 96 faces");
    EXPECT_EQ(c.selectionStatus(), "");
    editor.window.setSelectedNode(nullptr);
    EXPECT_EQ(c.meshStatus(), "No mesh selected");
}

} // namespace tessel::testing

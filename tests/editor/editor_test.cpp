#include "editor/editor.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"
#include "tools/mesh_tools.h"
#include "tools/polygon_tools.h"

#include <gmock/gmock.h>

#include <tuple>

namespace tessel::testing {

using Mode = Editor::Mode;

TEST(EditorTest, PickersAlwaysShowAValidToolOfTheMode) {
    FakeEditor editor;
    Editor& c = editor.controller;
    EXPECT_TRUE(c.canApply());
    // Faces, edges and points are all shown at start-up, by every viewport and its control.
    for (const FakeViewport& view : editor.views) {
        EXPECT_TRUE(view.renderPoints && view.renderLines && view.renderFilled);
    }
    EXPECT_EQ(c.renderingOptionsControl(), (std::array<bool, 3>{true, true, true}));

    // Another mesh keeps mode and tool (built anew) but no selection; a new mode shows tool 0.
    editor.pick(Mode::Polygon, 4);
    c.selectedFacesIds() = {3};
    editor.window.setSelectedNode(editor.cube());
    EXPECT_NE(editor.tool<PolygonSubdivide>(), nullptr);
    EXPECT_TRUE(c.selectedFacesIds().empty());
    c.modeSelected(static_cast<int>(Mode::Mesh));
    EXPECT_EQ(c.toolTag(), 0);
    EXPECT_NE(editor.tool<MeshTranslation>(), nullptr);

    // Tags no picker offers change nothing; without a mesh only the picker does; Apply is off.
    const OperationPtr tool = c.tool();
    c.toolSelected(99);
    c.toolSelected(-1);
    EXPECT_EQ(c.toolTag(), 0);
    editor.window.setSelectedNode(editor.window.scene()->root());
    c.toolSelected(1);
    EXPECT_EQ(c.toolTag(), 1);
    EXPECT_EQ(c.tool(), tool);
    EXPECT_FALSE(c.canApply());
    c.apply();
}

TEST(EditorTest, CameraKeysMoveOrTurnTheCameraOfTheLastClickedViewport) {
    // From (0, 0, 2.5) looking down −z with zn = 0.125 and fov 1: a step of 0.1 device units at
    // the near plane (x mirrored), a step of 0.1 in depth (to 0.4167 or 0.0735 ahead), or a turn
    // toward the point 0.1 device units aside (by atan 0.1).
    struct Key {
        std::optional<std::string> characters;
        Vector3 moved;
        Vector3 look;
    };
    const float s = 0.0125f, a = 0.0995037f, b = -0.9950372f;
    // clang-format off
    const Key keys[] = {
        {"a", {s, 0, 0}, {0, 0, -1}}, {"d", {-s, 0, 0}, {0, 0, -1}},
        {"w", {0, s, 0}, {0, 0, -1}}, {"s", {0, -s, 0}, {0, 0, -1}},
        {"e", {0, 0, -0.2916667f}, {0, 0, -1}}, {"q", {0, 0, 0.0514706f}, {0, 0, -1}},
        {"x", {}, {0, a, b}}, {"z", {}, {0, -a, b}}, {"v", {}, {-a, 0, b}}, {"c", {}, {a, 0, b}},
        {"A", {}, {0, 0, -1}}, {"ad", {}, {0, 0, -1}}, {std::nullopt, {}, {0, 0, -1}},
    };
    // clang-format on
    for (const Key& key : keys) {
        SCOPED_TRACE(key.characters.value_or("no characters"));
        FakeEditor editor;
        editor.views[1].click(0.9f, 0.9f);
        editor.views[1].key(key.characters);
        const Matrix& m = editor.controller.cameras()[1]->localMatrix;
        expectNear(m.translationPart(), Vector3{0, 0, 2.5f} + key.moved, 1e-6f);
        expectNear({-m(0, 2), -m(1, 2), -m(2, 2)}, key.look, 1e-6f);
        expectRotation(m);
        EXPECT_EQ(editor.controller.cameras()[0]->localMatrix, Matrix::translation({0, 0, 0.5f}));
    }
}

// The viewport shows a press by its colour, so a press and a release repaint also where there is
// no mesh to edit.
TEST(EditorTest, PressAndReleaseRepaintWithOrWithoutASelectedMesh) {
    for (const bool withMesh : {true, false}) {
        FakeEditor editor;
        if (!withMesh) {
            editor.window.setSelectedNode(nullptr);
        }
        int repaints = 0;
        editor.controller.viewsChanged.connect([&] { ++repaints; });
        FakeViewport& view = editor.views[2];
        view.press(0.95f, 0.95f);
        EXPECT_TRUE(view.isMouseDown);
        EXPECT_EQ(repaints, 1) << withMesh;
        view.release();
        EXPECT_FALSE(view.isMouseDown);
        EXPECT_EQ(repaints, 2) << withMesh;
    }
}

// Escape while the button is held: the preview goes, the release commits nothing, nothing is
// recorded, and the selections are those before the press.
TEST(EditorTest, EscapeCancelsTheGestureInProgressInEveryTool) {
    // clang-format off
    const std::tuple<Mode, int, Vector3, Vector3> gestures[] = {
        {Mode::Vertex, 0, {0.25f, 0.25f, 0}, {-0.3f, 0.1f, 0}},  // Move: the selection dragged
        {Mode::Vertex, 0, {-0.1f, -0.1f, 0}, {0.35f, 0.35f, 0}}, // a rectangle from empty space
        {Mode::Vertex, 1, {0.25f, 0.25f, 0}, {0.25f, 0.25f, 0}}, // Weld on release
        {Mode::Polygon, 0, {0.11f, 0.04f, 0}, {0.3f, 0.3f, 0}},
        {Mode::Polygon, 3, {0.11f, 0.04f, 0}, {0.4f, 0.04f, 0}},
        {Mode::Polygon, 5, {0.11f, 0.04f, 0}, {0.11f, 0.04f, 0}},
        {Mode::Mesh, 0, {0.11f, 0.04f, 0}, {0.3f, 0.3f, 0}},
    };
    // clang-format on
    for (const auto& [mode, tool, pressAt, dragTo] : gestures) {
        SCOPED_TRACE(::testing::Message()
                     << static_cast<int>(mode) << "/" << tool << " from " << pressAt.x);
        FakeEditor editor;
        Editor& c = editor.controller;
        FakeViewport& view = editor.views[0];
        editor.pick(mode, tool);
        const std::vector<std::int64_t> points{12, 13, 17, 18};
        const std::vector<std::uint32_t> faces{5};
        c.selectedPointsIds() = points;
        c.selectedFacesIds() = faces;
        const LayerPtr committed = editor.grid().committed();

        view.press(pressAt);
        view.dragTo(dragTo);
        c.perform(Command::CancelGesture, view);
        EXPECT_FALSE(view.isMouseDown || view.isMouseDragged);
        view.dragTo({0.45f, 0.45f, 0});
        view.release();
        EXPECT_EQ(editor.grid().committed(), committed);
        EXPECT_EQ(editor.grid().layer()->positions, committed->positions);
        EXPECT_EQ(editor.history.count(), 0u);
        EXPECT_EQ(c.selectedPointsIds(), points);
        EXPECT_EQ(c.selectedFacesIds(), faces);

        // The next gesture works as usual.
        if (mode == Mode::Polygon && tool == 5) {
            view.press(pressAt);
            view.release();
            EXPECT_EQ(editor.grid().committed()->faces.size(), 31u);
        }
    }
}

} // namespace tessel::testing

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

namespace tessel::testing {

using Mode = Editor::Mode;

TEST(PolygonToolsTest, EachGestureEditsThePressedPolygonAndCommitsOnRelease) {
    // A press in viewport 0, a drag by a normalized offset (device units are twice that), the
    // release. (0.11, 0.04) lies in face 20 (12, 13, 18) at (0, 0), (0.25, 0), (0.25, 0.25).
    struct Gesture {
        const char* name;
        int tool;
        Vector3 press;
        float dx, dy;
        size_t faces, points, face;
        std::vector<std::uint32_t> selected;
        std::vector<Vector3> corners;
    };
    const Vector3 inFace20{0.11f, 0.04f, 0};
    // clang-format off
    const Gesture gestures[] = {
        // Viewport 0 mirrors x: 0.25 device units right is 0.125 world units left.
        {"Move", 0, inFace20, 0.125f, 0, 32, 25, 20, {20},
         {{-0.125f, 0, 0}, {0.125f, 0, 0}, {0.125f, 0.25f, 0}}},
        // dx + dy = 0.5: one and a half times as large about the centroid (1/6, 1/12).
        {"Scale", 1, inFace20, 0, 0.25f, 32, 25, 20, {20},
         {{-1 / 12.f, -1 / 24.f, 0}, {7 / 24.f, -1 / 24.f, 0}, {7 / 24.f, 1 / 3.f, 0}}},
        // dx + dy = 0.6 along the normal: the cap keeps the face's id, its points come last.
        {"Extrude", 3, inFace20, 0.1f, 0.2f, 38, 28, 20, {20},
         {{0, 0, 0.6f}, {0.25f, 0, 0.6f}, {0.25f, 0.25f, 0.6f}}},
        {"Subdivide", 4, inFace20, 0, 0, 34, 26, 20, {20},
         {{0, 0, 0}, {0.25f, 0, 0}, {1 / 6.f, 1 / 12.f, 0}}},
        // Only face 25 (15, 21, 20) uses point 20. Dragged off, it still goes; face 26
        // (16, 17, 22) becomes face 25.
        {"Delete", 5, {-0.45f, 0.45f, 0}, 0.3f, -0.3f, 31, 24, 25, {},
         {{-0.25f, 0.25f, 0}, {0, 0.25f, 0}, {0, 0.5f, 0}}},
        {"Move pressed beside the grid", 0, {0.7f, 0.7f, 0}, 0.1f, 0.1f, 32, 25, 20, {},
         {{0, 0, 0}, {0.25f, 0, 0}, {0.25f, 0.25f, 0}}},
    };
    // clang-format on
    for (const Gesture& g : gestures) {
        SCOPED_TRACE(g.name);
        FakeEditor editor;
        const Layer start = *editor.grid().committed();
        editor.pick(Mode::Polygon, g.tool);
        FakeViewport& view = editor.views[0];
        view.press(g.press);
        const Vec2 pressed = view.pointerPosition;
        view.dragTo(pressed.x + g.dx / 2, pressed.y + g.dy / 2);
        view.dragTo(pressed.x + g.dx, pressed.y + g.dy);
        EXPECT_EQ(editor.grid().committed()->positions, start.positions);
        view.release();
        const Layer& layer = *editor.grid().committed();
        EXPECT_EQ(layer.faces.size(), g.faces);
        EXPECT_EQ(layer.positions.size(), g.points);
        EXPECT_EQ(editor.controller.selectedFacesIds(), g.selected);
        for (size_t k = 0; k < 3; ++k) {
            expectNear(layer.positions[layer.faces[g.face][k]], g.corners[k]);
        }
    }
}

// Also after a drag: a gesture never takes the last one's movement.
TEST(PolygonToolsTest, AClickWithoutADragSelectsTheFaceAndChangesNothing) {
    for (const int tool : {0, 1, 3}) {
        FakeEditor editor;
        editor.pick(Mode::Polygon, tool);
        FakeViewport& view = editor.views[0];
        view.press(Vector3{-0.4f, -0.45f, 0});
        view.dragTo(0.6f, 0.7f);
        view.release();
        const Layer start = *editor.grid().committed();
        view.press(Vector3{0.11f, 0.04f, 0});
        view.release();
        EXPECT_EQ(editor.controller.selectedFacesIds(), std::vector<std::uint32_t>{20});
        EXPECT_EQ(editor.grid().committed()->positions, start.positions) << "tool " << tool;
        EXPECT_EQ(editor.grid().committed()->faces, start.faces) << "tool " << tool;
    }
}

// Stale ids the press adds to are ignored: the gesture acts as on the pressed face alone.
TEST(PolygonToolsTest, FaceIdsPastTheLayerAreIgnoredByEveryTool) {
    for (const int tool : {0, 1, 3, 4, 5}) {
        const auto run = [tool](std::vector<std::uint32_t> selected) {
            FakeEditor editor;
            editor.pick(Mode::Polygon, tool);
            editor.controller.selectedFacesIds() = std::move(selected);
            editor.views[0].press(Vector3{0.11f, 0.04f, 0}, FakeViewport::Change::Add);
            editor.views[0].dragTo(0.5f, 0.7f);
            editor.views[0].release();
            return *editor.grid().committed();
        };
        const Layer alone = run({});
        const Layer stale = run({1000, 70000, 20});
        EXPECT_EQ(stale.positions, alone.positions) << "tool " << tool;
        EXPECT_EQ(stale.faces, alone.faces) << "tool " << tool;
    }
}

// A click anywhere in a face of any shape picks it: on a quad's diagonal, where the two triangles
// that draw it meet, and in an L-shaped hexagon, but not in its notch.
TEST(PolygonToolsTest, AClickAnywhereInAFaceOfAnyShapePicksItWhole) {
    FakeEditor editor;
    // clang-format off
    editor.grid().setCommitted(makeLayer(
        {{-0.35f, -0.3f, 0}, {-0.05f, -0.3f, 0}, {-0.05f, 0.3f, 0}, {-0.35f, 0.3f, 0},
         {0.05f, -0.3f, 0}, {0.35f, -0.3f, 0}, {0.35f, -0.1f, 0}, {0.15f, -0.1f, 0},
         {0.15f, 0.3f, 0}, {0.05f, 0.3f, 0}},
        FaceList::polygons({{0, 1, 2, 3}, {4, 5, 6, 7, 8, 9}})));
    // clang-format on
    editor.pick(Mode::Polygon, 0);
    const std::pair<Vector3, std::vector<std::uint32_t>> clicks[] = {
        {{-0.2f, 0, 0}, {0}}, {{0.25f, 0.15f, 0}, {}}, {{0.25f, -0.2f, 0}, {1}}};
    for (const auto& [at, picked] : clicks) {
        editor.views[0].press(at);
        editor.views[0].release();
        EXPECT_EQ(editor.controller.selectedFacesIds(), picked) << at;
    }
}

} // namespace tessel::testing

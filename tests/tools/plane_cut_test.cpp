#include "tools/plane_cut.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

namespace tessel::testing {

// "Plane cut" picked on a grid of cells × cells; its plane starts as y = 0 through the origin.
struct PlaneCutToolTest : ::testing::Test {
    PlaneCut& choose(int cells) {
        editor.grid().params()->setU(cells);
        editor.grid().params()->setV(cells);
        editor.pick(Editor::Mode::Polygon, 2);
        return *editor.tool<PlaneCut>();
    }

    FakeEditor editor;
    Model& grid = editor.grid();
    FakeViewport& view = editor.views[0];
};

TEST_F(PlaneCutToolTest, PreviewShowsTheCutAndApplyCommitsIt) {
    // y = 0 crosses the middle row of a 3 × 3 grid through no vertex: its 6 faces split into 3
    // each, and each of the 7 crossed edges gains one point that both sides share.
    choose(3);
    PlaneCut& tool = *editor.tool<PlaneCut>();
    const LayerPtr cut = grid.layer();
    EXPECT_EQ(cut->faces.size(), 30u);
    // What the triangle limit is checked against, here exact.
    EXPECT_EQ(tool.trianglesAfter(*grid.committed()), 30u);
    EXPECT_EQ(cut->positions.size(), 23u);
    ASSERT_NE(grid.toolLayer(), nullptr);
    EXPECT_EQ(grid.toolLayer()->positions[0], Vector3(0, 0, 0));
    EXPECT_EQ(grid.toolLayer()->positions[1].y, 0);
    EXPECT_EQ(grid.committed()->faces.size(), 18u);

    editor.controller.apply();
    EXPECT_EQ(grid.committed()->positions, cut->positions);
    EXPECT_EQ(grid.committed()->faces, cut->faces);
}

TEST_F(PlaneCutToolTest, PressBesideThePatchTurnsThePlaneAndPressOnItMovesThePlane) {
    // Seen edge-on from viewport 0, the patch of y = 0 is never hit.
    PlaneCut& tool = choose(4);
    // Along one ray from the origin's image the cosine rounds past 1: the normal stays.
    view.press(0.002f, 0.011f);
    view.dragTo(0.168f, 0.174f);
    EXPECT_EQ(tool.normal, Vector3(0, 1, 0));
    view.release();
    // A quarter turn counter-clockwise on screen turns the normal it had at the press by −π/2
    // about z.
    for (const Vector3& turned : {Vector3{1, 0, 0}, Vector3{0, -1, 0}}) {
        view.press(0.75f, 0.5f);
        EXPECT_TRUE(editor.controller.selectedFacesIds().empty());
        view.dragTo(0.7f, 0.7f);
        view.dragTo(0.5f, 0.75f);
        expectNear(tool.normal, turned, 1e-6f);
        view.release();
    }
    // Half a turn, along a line where the cosine rounds past −1.
    view.press(0.228291333f, 0.75055027f);
    view.dragTo(0.771708667f, 0.24944973f);
    expectNear(tool.normal, {0, 1, 0}, 1e-6f);
    view.release();

    // The plane z = 0 faces viewport 0. Its patch is a fan of four triangles around the origin
    // whose inner edges run along the x and y axes: a press inside a triangle, on an inner edge
    // or on the centre grabs the plane. The patch is no face of the mesh: no face gets selected.
    tool.normal = {0, 0, 1};
    grid.invalidatePreview();
    grid.updatePreview();
    editor.controller.selectedFacesIds() = {3};
    for (const Vector3& at : {Vector3{-0.1f, 0.05f, 0}, Vector3{-0.1f, 0, 0}, Vector3{0, 0, 0}}) {
        const Vector3 origin = tool.cuttingPlaneOrigin;
        view.press(at);
        ASSERT_TRUE(tool.intersection.has_value());
        expectNear(*tool.intersection, at, 1e-6f);
        EXPECT_TRUE(editor.controller.selectedFacesIds().empty());
        view.dragTo(at + Vector3{-0.05f, 0, 0});
        view.dragTo(at + Vector3{-0.1f, 0, 0});
        expectNear(tool.cuttingPlaneOrigin, origin + Vector3{-0.1f, 0, 0}, 1e-5f);
        expectNear(grid.toolLayer()->positions[0], tool.cuttingPlaneOrigin, 1e-6f);
        EXPECT_EQ(tool.normal, Vector3(0, 0, 1));
        view.release();
        EXPECT_FALSE(tool.intersection.has_value());
    }
    EXPECT_EQ(grid.committed()->positions.size(), 25u);
}

} // namespace tessel::testing

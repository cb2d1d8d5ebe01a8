// Edge mode, the transforms the keyboard starts, Duplicate and the kinds of Delete, through the
// editor as the viewports drive it.
#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

namespace tessel::testing {
namespace {

using Mode = Editor::Mode;
using Kind = TransformGesture::Kind;

// The editor with the grid made of its 16 four-cornered cells (the same 25 points).
struct QuadEditor : FakeEditor {
    QuadEditor() {
        grid().setCommitted(QuadGenerator(4, 4).generateQuadLayer());
        controller.refresh();
    }
};

TEST(ModellingTest, AKeyboardMoveTakesAxisAndTypedAmountAndIsOneStepOrNothing) {
    QuadEditor editor;
    History& history = editor.history;
    Editor& c = editor.controller;
    const Layer start = *editor.grid().committed();
    c.selectedPointsIds() = {0, 1, 6};
    FakeViewport& view = editor.views[0];

    // Escape drops the transform: the mesh and the history are as they were.
    c.startTransform(Kind::Rotate, view, {0.7f, 0.5f});
    ASSERT_TRUE(c.isTransforming());
    c.hover(view, {0.5f, 0.8f});
    EXPECT_NE(editor.grid().layer()->positions, start.positions);
    c.perform(Command::CancelGesture, view);
    EXPECT_FALSE(c.isTransforming());
    EXPECT_EQ(editor.grid().layer()->positions, start.positions);
    EXPECT_EQ(history.count(), 0u);

    // x holds the move to the axis (the camera key does not run), typed digits give the amount.
    const Matrix camera = c.cameras()[0]->localMatrix;
    c.startTransform(Kind::Move, view, {0.4f, 0.4f});
    c.hover(view, {0.1f, 0.9f});
    for (const char* key : {"x", "1", ".", "5"}) {
        view.key(std::string(key));
    }
    EXPECT_EQ(c.transformStatus(), "Move x: 1.5");
    EXPECT_EQ(c.cameras()[0]->localMatrix, camera);
    view.click(0.2f, 0.2f);
    EXPECT_FALSE(c.isTransforming());
    const Layer& moved = *editor.grid().committed();
    for (size_t i = 0; i < start.positions.size(); ++i) {
        const bool selected = i == 0 || i == 1 || i == 6;
        expectNear(moved.positions[i], start.positions[i] + Vector3{selected ? 1.5f : 0, 0, 0});
    }
    ASSERT_THAT(editor.stepNames(), ::testing::ElementsAre("Move"));

    // The panel's amount commits the same move again from before it, as a step of its own.
    const std::vector<ToolSetting> settings = c.toolSettings();
    ASSERT_EQ(settings.size(), 3u);
    EXPECT_FLOAT_EQ(static_cast<float>(settings[0].value), 1.5f);
    c.setToolSetting(1, -0.25);
    expectNear(editor.grid().committed()->positions[6],
               start.positions[6] + Vector3{1.5f, -0.25f, 0});
    EXPECT_EQ(history.count(), 2u);
    history.undo();
    history.undo();
    EXPECT_EQ(editor.grid().committed()->positions, start.positions);
}

TEST(ModellingTest, EdgeModeClicksLoopsRingsAndConvertsTheSelection) {
    QuadEditor editor;
    Editor& c = editor.controller;
    editor.pick(Mode::Edge, 0);
    FakeViewport& view = editor.views[0];
    // Viewport 0 shows z = 0 at (0.5 − x, 0.5 + y): the edge from point 6 to 7 runs along
    // y = −0.25 between x = −0.25 and 0.
    const Vec2 onEdge = view.normalizedOf({-0.125f, -0.25f, 0});
    view.click(onEdge.x, onEdge.y);
    EXPECT_THAT(c.selectedEdges(), ::testing::ElementsAre(Edge{6, 7}));
    EXPECT_EQ(c.selectionStatus(), "1 of 40 edges selected");

    // The loop runs across the grid along the row; the ring crosses the cells above and below.
    c.selectLoop(view, onEdge, false, Editor::SelectionChange::Replace);
    EXPECT_THAT(c.selectedEdges(),
                ::testing::ElementsAre(Edge{5, 6}, Edge{6, 7}, Edge{7, 8}, Edge{8, 9}));
    c.selectLoop(view, onEdge, true, Editor::SelectionChange::Replace);
    EXPECT_THAT(c.selectedEdges(), ::testing::ElementsAre(Edge{1, 2}, Edge{6, 7}, Edge{11, 12},
                                                          Edge{16, 17}, Edge{21, 22}));

    // Points → the edges and faces they span, and back.
    c.modeSelected(static_cast<int>(Mode::Vertex));
    EXPECT_THAT(c.selectedPointsIds(), ::testing::ElementsAre(1, 2, 6, 7, 11, 12, 16, 17, 21, 22));
    c.modeSelected(static_cast<int>(Mode::Polygon));
    EXPECT_THAT(c.selectedFacesIds(), ::testing::ElementsAre(1, 5, 9, 13));
    c.modeSelected(static_cast<int>(Mode::Edge));
    EXPECT_EQ(c.selectedEdges().size(), 13u);
}

TEST(ModellingTest, DeleteKindsAndDuplicateAreNamedStepsOnTheModesElements) {
    struct Case {
        Mode mode;
        Command command;
        size_t points, faces;
        const char* name;
    };
    const Case cases[] = {
        {Mode::Vertex, Command::DeleteFaces, 24, 12, "Delete 1 point"},
        {Mode::Edge, Command::DeleteFaces, 25, 14, "Delete 1 edge"},
        {Mode::Polygon, Command::DeleteFaces, 25, 15, "Delete 1 face"},
        {Mode::Polygon, Command::DeleteOnlyFaces, 25, 15, "Delete 1 face only"},
        {Mode::Vertex, Command::DeleteEdges, 25, 16, nullptr},
    };
    for (const Case& k : cases) {
        QuadEditor editor;
        Editor& c = editor.controller;
        editor.pick(k.mode, 0);
        c.selectedPointsIds() = {12};
        c.selectedEdges() = {Edge{11, 12}};
        c.selectedFacesIds() = {5};
        c.perform(k.command, editor.views[0]);
        EXPECT_EQ(editor.grid().committed()->positions.size(), k.points) << k.name;
        EXPECT_EQ(editor.grid().committed()->faces.size(), k.faces) << k.name;
        EXPECT_EQ(editor.stepNames(),
                  k.name ? std::vector<std::string>{k.name} : std::vector<std::string>{});
    }

    // Duplicate copies the face and starts moving the copy, selected.
    QuadEditor editor;
    Editor& c = editor.controller;
    editor.pick(Mode::Polygon, 0);
    c.selectedFacesIds() = {5};
    editor.views[0].pointerPosition = {0.5f, 0.5f};
    c.perform(Command::Duplicate, editor.views[0]);
    EXPECT_TRUE(c.isTransforming());
    EXPECT_THAT(c.selectedFacesIds(), ::testing::ElementsAre(16));
    c.transformKey('z');
    c.transformKey('1');
    c.perform(Command::ConfirmTransform, editor.views[0]);
    const Layer& after = *editor.grid().committed();
    EXPECT_EQ(after.positions.size(), 29u);
    expectNear(after.positions[25], after.positions[after.faces[5][0]] + Vector3{0, 0, 1});
    EXPECT_THAT(editor.stepNames(), ::testing::ElementsAre("Duplicate", "Move"));
}

TEST(ModellingTest, FillConnectAndBridgeAreNamedStepsOrRefusedWithAReason) {
    QuadEditor editor;
    Editor& c = editor.controller;
    FakeViewport& view = editor.views[0];
    std::vector<std::string> refusals;
    c.commandMessage.connect([&](const std::string& why) {
        if (!why.empty()) {
            refusals.push_back(why);
        }
    });
    const auto faces = [&] { return editor.grid().committed()->faces.size(); };
    // Cells 5 and 10 (around points 6, 7, 12, 11 and 12, 13, 18, 17) are taken out.
    editor.pick(Mode::Polygon, 0);
    c.selectedFacesIds() = {5, 10};
    c.perform(Command::DeleteOnlyFaces, view);

    // Edge mode: a border with one edge missing is refused; closed, it gets its face back.
    editor.pick(Mode::Edge, 0);
    c.selectedEdges() = {{6, 7}, {7, 12}, {11, 12}};
    c.perform(Command::Fill, view);
    EXPECT_EQ(faces(), 14u);
    c.selectedEdges() = {{6, 7}, {7, 12}, {11, 12}, {6, 11}};
    c.perform(Command::Fill, view);
    EXPECT_EQ(faces(), 15u);
    // One hole's rim is no pair of loops to bridge.
    c.selectedEdges() = {{12, 13}, {13, 18}, {17, 18}, {12, 17}};
    c.perform(Command::BridgeLoops, view);
    EXPECT_EQ(faces(), 15u);

    // Vertex mode joins two points across their face.
    editor.pick(Mode::Vertex, 0);
    c.selectedPointsIds() = {0, 6};
    c.perform(Command::Fill, view);
    EXPECT_EQ(faces(), 16u);
    c.perform(Command::Fill, view);
    EXPECT_EQ(faces(), 16u);
    EXPECT_THAT(editor.stepNames(),
                ::testing::ElementsAre("Delete 2 faces only", "Fill 1 border", "Connect"));
    EXPECT_THAT(refusals, ::testing::ElementsAre(
                              "Fill: the selected edges do not close into a loop",
                              "Bridge: select exactly two closed borders (the selected edges make "
                              "1 loop)",
                              "Connect: the two points are already joined by an edge"));

    // Elsewhere the key frames the selected mesh, as it always has.
    editor.pick(Mode::Polygon, 0);
    const Matrix camera = c.cameras()[0]->localMatrix;
    c.perform(Command::Fill, view);
    EXPECT_NE(c.cameras()[0]->localMatrix, camera);
    EXPECT_EQ(editor.history.count(), 3u);
}

} // namespace
} // namespace tessel::testing

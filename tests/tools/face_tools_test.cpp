// The tools over the mesh edits of the selection: gestures and Apply through the editor, one undo
// each, and the triangle limit.
#include "mesh/orientation.h"
#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"
#include "tools/tool_table.h"

namespace tessel::testing {
namespace {

using Mode = Editor::Mode;
using Ids = std::vector<std::uint32_t>;

// The tag of the tool the mode's picker lists as `name`.
int tagOf(Mode mode, std::string_view name) {
    const auto tools = kModes[static_cast<size_t>(mode)].tools;
    for (size_t i = 0; i < tools.size(); ++i) {
        if (tools[i].name == name) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "no tool " << name;
    return -1;
}

Ids cornersOf(const Layer& layer, std::uint32_t face) {
    return {layer.faces[face].begin(), layer.faces[face].end()};
}

// Undoing the one step recorded gives back the layer exactly.
void expectOneUndoRestores(FakeEditor& editor, const Layer& start, std::string_view name) {
    ASSERT_EQ(editor.stepNames(), std::vector<std::string>{std::string(name)});
    editor.history.undo();
    EXPECT_EQ(editor.grid().committed()->positions, start.positions);
    EXPECT_EQ(editor.grid().committed()->faces, start.faces);
}

// Face 20 (12, 13, 18) and face 21 (12, 18, 17) make the grid cell (0, 0) … (0.25, 0.25).
const Vector3 inFace20{0.2f, 0.05f, 0};
const Vector3 inFace21{0.05f, 0.2f, 0};

} // namespace

TEST(FaceToolsTest, DragsEditTheSelectedFacesAsARegionOrEachAndCommitOnRelease) {
    // Faces 20 and 21 picked (Shift adds 21) and dragged by (0.01, 0.01) normalized: a drag
    // measure of 0.04.
    struct Case {
        const char* tool;
        bool eachFace;
        size_t faces, points;
        Ids face20;
        Vector3 corner; // where face 20's first corner ends up
    };
    const Case cases[] = {
        // One region: walls along the four border sides only, the diagonal stays shared.
        {"Extrude", false, 36, 29, {25, 26, 27}, {0, 0, 0.04f}},
        {"Inset", false, 36, 29, {25, 26, 27}, {0.04f, 0.04f, 0}},
        {"Inset", true, 38, 31, {25, 26, 27}, {0.04f / std::tan(3.14159265f / 8), 0.04f, 0}},
        {"Flip", false, 32, 25, {12, 18, 13}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tool);
        FakeEditor editor;
        FakeViewport& view = editor.views[0];
        editor.pick(Mode::Polygon, tagOf(Mode::Polygon, "Move"));
        view.click(view.normalizedOf(inFace20).x, view.normalizedOf(inFace20).y);
        editor.controller.toolSelected(tagOf(Mode::Polygon, c.tool));
        if (c.eachFace) {
            editor.controller.setToolSetting(0, 0);
        }
        const Layer start = *editor.grid().committed();
        view.press(inFace21, FakeViewport::Change::Add);
        view.dragTo(view.pointerPosition.x + 0.01f, view.pointerPosition.y + 0.01f);
        view.release();
        const Layer& layer = *editor.grid().committed();
        EXPECT_EQ(editor.controller.selectedFacesIds(), (Ids{20, 21}));
        EXPECT_EQ(layer.faces.size(), c.faces);
        EXPECT_EQ(layer.positions.size(), c.points);
        EXPECT_EQ(cornersOf(layer, 20), c.face20);
        expectNear(layer.positions[layer.faces[20][0]], c.corner);
        expectOneUndoRestores(editor, start, c.tool);
    }
}

TEST(FaceToolsTest, ApplyCommitsThePreviewOfTheSelectionAsItStands) {
    struct Case {
        const char* name;
        Mode mode;
        const char* tool;
        std::vector<std::int64_t> points;
        std::vector<Edge> edges;
        Ids faces;
        std::vector<std::pair<size_t, double>> settings;
        size_t facesAfter, pointsAfter;
    };
    // clang-format off
    const Case cases[] = {
        // The grid is symmetric about x = 0: the five points on the plane are shared.
        {"mirror the mesh", Mode::Mesh, "Mirror", {}, {}, {}, {}, 64, 45},
        {"mirror across its own plane", Mode::Mesh, "Mirror", {}, {}, {}, {{0, 2}}, 32, 25},
        {"mirror without weld", Mode::Mesh, "Mirror", {}, {}, {}, {{0, 2}, {1, 0}}, 64, 50},
        // Point 12 lies on the plane.
        {"mirror a face", Mode::Polygon, "Mirror", {}, {}, {20}, {}, 33, 27},
        {"mirror nothing selected", Mode::Polygon, "Mirror", {}, {}, {}, {}, 32, 25},
        // Point 13 merges into 12: faces 13 and 20 held both.
        {"merge", Mode::Vertex, "Merge by distance", {12, 13}, {}, {}, {{0, 0.3}}, 30, 24},
        {"merge closer than", Mode::Vertex, "Merge by distance", {12, 13}, {}, {}, {}, 32, 25},
        // The six triangles around point 12 become one hexagon.
        {"dissolve", Mode::Vertex, "Dissolve", {12}, {}, {}, {}, 27, 24},
        // The diagonal of faces 20 and 21 goes: one quad.
        {"dissolve an edge", Mode::Edge, "Dissolve", {}, {{12, 18}}, {}, {}, 31, 25},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeEditor editor;
        const Layer start = *editor.grid().committed();
        editor.pick(c.mode, tagOf(c.mode, c.tool));
        editor.controller.selectedPointsIds() = c.points;
        editor.controller.selectedEdges() = c.edges;
        editor.controller.selectedFacesIds() = c.faces;
        editor.controller.refresh();
        for (const auto& [index, value] : c.settings) {
            editor.controller.setToolSetting(index, value);
        }
        editor.controller.apply();
        EXPECT_EQ(editor.grid().committed()->faces.size(), c.facesAfter);
        EXPECT_EQ(editor.grid().committed()->positions.size(), c.pointsAfter);
        if (c.facesAfter != start.faces.size()) {
            expectOneUndoRestores(editor, start, c.tool);
        }
    }
}

TEST(FaceToolsTest, RecalculateOutsideTurnsInwardFacesOfTheMeshOrOfTheSelection) {
    const LayerPtr cube = Model::makeCube()->committed();
    Layer inward = *cube;
    flipFaces(inward, Ids{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    for (const Mode mode : {Mode::Mesh, Mode::Polygon}) {
        FakeEditor editor;
        editor.grid().setCommitted(std::make_shared<Layer>(inward));
        editor.pick(mode, tagOf(mode, "Recalculate outside"));
        editor.controller.selectedFacesIds() = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        editor.controller.refresh();
        editor.controller.apply();
        EXPECT_EQ(editor.grid().committed()->faces, cube->faces);
        expectOneUndoRestores(editor, inward, "Recalculate outside");
    }
}

// The plane is the world's: with the grid moved 0.5 along x, its column x = −0.5 is on it.
TEST(FaceToolsTest, MirrorTakesTheWorldPlaneIntoTheMeshsCoordinates) {
    FakeEditor editor;
    editor.quad()->localMatrix = Matrix::translation({0.5f, 0, 0});
    editor.pick(Mode::Mesh, tagOf(Mode::Mesh, "Mirror"));
    editor.controller.apply();
    const Layer& layer = *editor.grid().committed();
    EXPECT_EQ(layer.positions.size(), 45u);
    // Face 6 (3, 4, 9) comes back as (3′, 9′, 4′); point 4 (0.5, −0.5), at x = 1 in the world, as
    // x = −1 there.
    expectNear(layer.positions[layer.faces[32 + 6][2]], {-1.5f, -0.5f, 0});
}

TEST(FaceToolsTest, MirrorIsRefusedPastTheTriangleLimit) {
    FakeEditor editor;
    std::vector<Model::Refusal> refusals;
    editor.controller.editRefused.connect([&](Model::Refusal r) { refusals.push_back(r); });
    Model& grid = editor.grid();
    grid.setCommitted(
        makeLayer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {kMaxTriangles / 2 + 1, {0, 1, 2}}));
    const LayerPtr before = grid.committed();
    editor.pick(Mode::Mesh, tagOf(Mode::Mesh, "Mirror"));
    editor.controller.apply();
    EXPECT_EQ(grid.committed(), before);
    EXPECT_EQ(refusals,
              (std::vector<Model::Refusal>{Model::Refusal::Preview, Model::Refusal::Commit}));
}

} // namespace tessel::testing

#include "editor/detail_view_controller.h"

#include "support/fake_viewport.h"
#include "tools/tool_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::FakeViewport;

constexpr float aspect = 1.25f;

// Normalized position of grid point (i, j) = (i/4 − 0.5, j/4 − 0.5, 0) of the start-up "Quad",
// id 5j + i, in a viewport whose unrotated camera is at (0, 0, 2.5) with fov 1.
Vec2 normalizedOfGridPoint(int i, int j) {
    const float x = i / 4.0f - 0.5f;
    const float y = j / 4.0f - 0.5f;
    return {(-x / (aspect * 2.5f) + 1) / 2, (y / 2.5f + 1) / 2};
}
// Screen spots of the top-right viewport with no grid point inside the click box.
constexpr Vec2 emptySpot{0.44f, 0.575f};
constexpr Vec2 acrossFourPoints{0.52f, 0.475f}; // with emptySpot: points 12, 13, 17 and 18

std::vector<std::int64_t> sorted(std::vector<std::int64_t> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Records what reaches the tool.
class SpyTool final : public Operation {
public:
    void onMouseDown(Vec2 position, Viewport&) override { downs.push_back(position); }
    void onMouseDragged(Vec2 delta, Viewport&) override { drags.push_back(delta); }
    void onMouseUp(Vec2 position, Viewport&) override { ups.push_back(position); }
    std::vector<Vec2> downs, drags, ups;
};

class InputDispatchTest : public ::testing::Test {
protected:
    InputDispatchTest() { controller().op = spy; }

    FakeViewport& view() { return editor.views[1]; }
    DetailViewController& controller() { return editor.controller; }
    std::vector<std::int64_t>& selection() { return controller().selectedPointsIds; }

    FakeEditor editor{aspect};
    std::shared_ptr<SpyTool> spy = std::make_shared<SpyTool>();
};

TEST_F(InputDispatchTest, ClickOnEmptySpaceStartsARectangleThatReplacesTheSelectionOnEveryDrag) {
    selection() = {0, 1};
    view().press(emptySpot.x, emptySpot.y);
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(controller().isDuringSelection);
    EXPECT_TRUE(view().isMouseDown);
    EXPECT_EQ(spy->downs, (std::vector<Vec2>{emptySpot}));

    view().dragTo(acrossFourPoints.x, acrossFourPoints.y);
    EXPECT_EQ(sorted(selection()), (std::vector<std::int64_t>{12, 13, 17, 18}));
    EXPECT_TRUE(view().isMouseDragged);
    view().dragTo(emptySpot.x + 0.01f, emptySpot.y - 0.01f);
    EXPECT_TRUE(selection().empty());
    // Just beyond grid point (4, 0), then beyond (0, 4).
    view().dragTo(0.415f, 0.395f);
    EXPECT_EQ(sorted(selection()), (std::vector<std::int64_t>{4, 9, 14, 19}));
    view().dragTo(0.585f, 0.605f);
    EXPECT_EQ(sorted(selection()), (std::vector<std::int64_t>{20, 21, 22, 23}));
    EXPECT_TRUE(spy->drags.empty());

    view().release();
    EXPECT_FALSE(controller().isDuringSelection);
    EXPECT_FALSE(view().isMouseDown);
    EXPECT_FALSE(view().isMouseDragged);
    EXPECT_EQ(spy->ups.size(), 1u);
}

TEST_F(InputDispatchTest, ClickOnASelectedPointKeepsTheSelectionAndDragsGoToTheTool) {
    selection() = {3, 18, 12};
    const Vec2 p18 = normalizedOfGridPoint(3, 3);
    view().press(p18.x, p18.y);
    EXPECT_EQ(selection(), (std::vector<std::int64_t>{3, 18, 12}));
    EXPECT_FALSE(controller().isDuringSelection);
    view().dragTo(p18.x + 0.1f, p18.y);
    EXPECT_EQ(selection(), (std::vector<std::int64_t>{3, 18, 12}));
    ASSERT_EQ(spy->drags.size(), 1u);
    EXPECT_NEAR(spy->drags[0].x, 0.2f, 1e-6);
    EXPECT_FALSE(view().isMouseDragged);
    view().release();

    // A click on an unselected point replaces the selection.
    const Vec2 p6 = normalizedOfGridPoint(1, 1);
    view().press(p6.x, p6.y);
    EXPECT_EQ(selection(), (std::vector<std::int64_t>{6}));
}

TEST_F(InputDispatchTest, VertexClickWithoutAMeshChangesNothing) {
    editor.window.setSelectedNode(nullptr);
    controller().op = spy;
    selection() = {4};
    EXPECT_FALSE(controller().whenMouseDown(view()));
    EXPECT_FALSE(controller().isDuringSelection);
    EXPECT_EQ(selection(), (std::vector<std::int64_t>{4}));
    EXPECT_TRUE(spy->downs.empty());
    EXPECT_TRUE(controller().whenMouseDragged(view(), {0.1f, 0}));
    EXPECT_TRUE(spy->drags.empty());
}

TEST_F(InputDispatchTest, EachDragRecomputesThePreviewOnceForAllViewports) {
    const ModelPtr model = editor.quad()->model();
    int evaluations = 0;
    installPreview(*model, [&evaluations](Model& m) {
        ++evaluations;
        return ModifierResult{m.copy(), nullptr};
    });
    const Vec2 p18 = normalizedOfGridPoint(3, 3);
    view().press(p18.x, p18.y);
    const int afterPress = evaluations;
    for (int drag = 1; drag <= 3; ++drag) {
        view().dragTo(p18.x + 0.01f * drag, p18.y);
        for (size_t reader = 0; reader < 4; ++reader) {
            model->layers();
        }
        EXPECT_EQ(evaluations, afterPress + drag);
    }
}

} // namespace
} // namespace tessel

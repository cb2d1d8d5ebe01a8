#include "editor/frame_data.h"

#include "support/fake_viewport.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace tessel::testing {

using ::testing::ElementsAre;

// A preview that lifts point 0 by one, counting its evaluations.
struct CountingLift : Modifier {
    ModifierResult evaluate(const Layer& committed) override {
        ++evaluations;
        LayerPtr layer = std::make_shared<Layer>(committed);
        layer->positions.at(0).z += 1;
        return {layer, nullptr};
    }
    int evaluations = 0;
};

TEST(FrameDataTest, FramesOnlyReadPreviewsShareTheirDataAndAreBuiltAnewAfterAChange) {
    FakeEditor editor;
    const auto gridLift = std::make_shared<CountingLift>();
    const auto cubeLift = std::make_shared<CountingLift>();
    editor.grid().setModifier(gridLift);
    editor.cube()->model()->setModifier(cubeLift);
    FrameData& frame = editor.controller.frameData;
    const auto prepare = [&](size_t view) {
        return frame.prepare(editor.views[view], editor.controller);
    };
    // Installed but not evaluated yet: a frame shows the committed layers as they are.
    EXPECT_EQ(prepare(0).at(0).layer, editor.grid().committed());

    // A drag brings the selected mesh's preview up to date once, for all four viewports.
    editor.views[0].dragTo(0.6f, 0.6f);
    const size_t builds = frame.builds();
    const std::vector<DrawItem> first = prepare(0);
    EXPECT_EQ(first.at(0).layer->positions[0], Vector3(-0.5f, -0.5f, 1));
    for (size_t view = 1; view < 4; ++view) {
        const std::vector<DrawItem> items = prepare(view);
        EXPECT_EQ(items.at(0).data, first[0].data);
        EXPECT_EQ(items.at(1).data, first[1].data);
        EXPECT_NE(items[0].matrix, first[0].matrix);
    }
    EXPECT_EQ(frame.builds(), builds + 2);
    EXPECT_EQ(gridLift->evaluations, 1);
    EXPECT_EQ(cubeLift->evaluations, 0);

    // A selection change ends the frame. Ids that name nothing are ignored, and only the
    // selected mesh shows a selection.
    editor.controller.selectedFacesIds() = {1, 70000};
    editor.controller.selectedPointsIds() = {-1, 1, 1LL << 40};
    editor.controller.needsDisplay.emit();
    const std::vector<DrawItem> changed = prepare(0);
    EXPECT_THAT(changed.at(0).data->triangles.selected, ElementsAre(0, 6, 5));
    EXPECT_THAT(changed.at(0).data->points.selected, ElementsAre(1));
    EXPECT_TRUE(changed.at(1).data->points.selected.empty());
    // A layer replaced without telling anyone is drawn from its own data, though shaped alike.
    const LayerPtr flipped = std::make_shared<Layer>(*editor.cube()->model()->committed());
    const std::vector<std::uint32_t> reversed(flipped->faces.corners().rbegin(),
                                              flipped->faces.corners().rend());
    flipped->faces = FaceList(reversed, 3);
    editor.cube()->model()->setCommitted(flipped);
    EXPECT_EQ(prepare(1).at(1).data->triangles.ordinary.at(0), flipped->faces[0][0]);
}

} // namespace tessel::testing

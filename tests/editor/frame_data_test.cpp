#include "editor/frame_data.h"

#include "mesh/model.h"
#include "support/fake_viewport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tessel {
namespace {

using testing::FakeEditor;
using Mode = DetailViewController::Mode;

// What a viewport must draw of `layer`, built from scratch.
LayerDrawData expected(const Layer& layer, bool isSelected, const DetailViewController& c) {
    LayerDrawData data;
    handleIndexDataForTriangles(layer, isSelected, c.selectedFacesIds, data.triangles);
    handleIndexDataForPoints(layer, isSelected, c.selectedPointsIds, data.points);
    fillPositions(layer, data.positions);
    return data;
}

// Every item of the viewport's frame holds exactly what a fresh build gives.
void expectFresh(FakeEditor& editor, size_t view) {
    DetailViewController& c = editor.controller;
    for (const DrawItem& item : c.frameData.prepare(editor.views[view], c, 0)) {
        const LayerDrawData want = expected(*item.layer, item.isSelected, c);
        EXPECT_EQ(item.data->triangles.ordinary, want.triangles.ordinary) << "view " << view;
        EXPECT_EQ(item.data->triangles.selected, want.triangles.selected) << "view " << view;
        EXPECT_EQ(item.data->points.ordinary, want.points.ordinary) << "view " << view;
        EXPECT_EQ(item.data->points.selected, want.points.selected) << "view " << view;
        EXPECT_EQ(item.data->positions, want.positions) << "view " << view;
    }
}

struct FrameDataTest : ::testing::Test {
    FrameDataTest() {
        editor.quad()->setModel(QuadGenerator(16, 16).generate());
        editor.controller.setSelectedNode(editor.quad());
    }
    LayerPtr committed() { return editor.quad()->model()->_layers().front(); }
    // The grid's layer the viewports draw: the preview's when a tool shows one.
    LayerPtr shown() { return editor.quad()->model()->layers().front(); }
    FrameData& frameData() { return editor.controller.frameData; }

    FakeEditor editor;
};

TEST_F(FrameDataTest, TheViewportsOfOneFrameShareOneBuildPerLayer) {
    DetailViewController& c = editor.controller;
    c.modeSelected(static_cast<int>(Mode::Polygon));  // "Move" previews on a copy
    c.selectedFacesIds = {3, 40};
    c.needsDisplay.emit();

    const size_t before = frameData().builds();
    const std::vector<DrawItem> first = frameData().prepare(editor.views[0], c, 0);
    // Grid and cube; the preview of "Move" replaces the grid's layer.
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(frameData().builds(), before + 2);
    EXPECT_NE(first[0].layer, committed());
    EXPECT_EQ(first[0].data->triangles.selected.size(), 6u);
    for (size_t v = 1; v < 4; ++v) {
        const std::vector<DrawItem> items = frameData().prepare(editor.views[v], c, 0);
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].data, first[0].data);
        EXPECT_EQ(items[1].data, first[1].data);
        // Each viewport has its own camera.
        EXPECT_NE(items[0].matrix.data, first[0].matrix.data);
    }
    EXPECT_EQ(frameData().builds(), before + 2);
}

TEST_F(FrameDataTest, NoViewportDrawsWhatChangedSinceTheDataWasBuilt) {
    DetailViewController& c = editor.controller;
    c.modeSelected(static_cast<int>(Mode::Polygon));
    for (size_t v = 0; v < 4; ++v) {
        expectFresh(editor, v);
    }

    // A drag of "Move" recomputes the preview: every viewport draws the moved face.
    editor.views[0].press(0.39f, 0.54f);
    ASSERT_FALSE(c.selectedFacesIds.empty());
    editor.views[0].dragTo(0.45f, 0.6f);
    for (size_t v = 0; v < 4; ++v) {
        expectFresh(editor, v);
    }
    editor.views[0].release();

    // A selection change through an event.
    c.modeSelected(static_cast<int>(Mode::Vertex));
    c.selectedPointsIds = {0, 5};
    editor.views[2].keyDown(std::string("w"));
    for (size_t v = 0; v < 4; ++v) {
        expectFresh(editor, v);
    }

    // Changes that tell nobody. A viewport repainting on its own reads the layer again ...
    shown()->points[7]->position.z += 1;
    expectFresh(editor, 0);
    // ... and within a frame a replaced layer, or a layer whose lists changed, is rebuilt.
    editor.quad()->model()->setLayers({QuadGenerator(4, 4).generateLayer()});
    expectFresh(editor, 1);
    shown()->polygons.pop_back();
    shown()->removeOrphanedPoints();
    expectFresh(editor, 2);
}

TEST_F(FrameDataTest, AFreedLayerIsNeverTakenForANewOneAtTheSameAddress) {
    DetailViewController& c = editor.controller;
    c.modeSelected(static_cast<int>(Mode::Vertex));
    Model& model = *editor.quad()->model();
    for (int round = 0; round < 50; ++round) {
        // A new layer of a different shape replaces the one just drawn, freed at once, so the
        // allocator is free to place the new one where the old one was.
        model.setLayers({QuadGenerator(2 + round % 5, 3).generateLayer()});
        expectFresh(editor, static_cast<size_t>(round % 4));
    }
}

} // namespace
} // namespace tessel

#include "editor/frame_data.h"
#include "editor/visible_ranges.h"

#include "support/fake_viewport.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <set>
#include <utility>

namespace tessel::testing {

using ::testing::ElementsAre;

// A preview that lifts point 0 by one, counting its evaluations.
struct CountingLift : Modifier {
    ModifierResult evaluate(const Layer& committed) override {
        ++evaluations;
        LayerPtr layer = std::make_shared<Layer>(committed);
        layer->positions.at(0).z += 1;
        return {layer, withTool ? makeLayer({Vector3{}}) : nullptr};
    }
    int evaluations = 0;
    bool withTool = false;
};

TEST(FrameDataTest, FramesOnlyReadPreviewsShareTheirDataAndAreBuiltAnewAfterAChange) {
    FakeEditor editor;
    const auto gridLift = std::make_shared<CountingLift>();
    const auto cubeLift = std::make_shared<CountingLift>();
    editor.grid().setModifier(gridLift);
    editor.cube()->model()->setModifier(cubeLift);
    FrameData& frame = editor.controller.frameData;
    const auto prepare = [&](size_t view) {
        return frame.prepare(editor.views[view], editor.controller.frameContent());
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
    EXPECT_TRUE(first[0].isSelected);
    // A tool that draws points of its own has the large ones; the mesh's are drawn small.
    gridLift->withTool = true;
    editor.grid().invalidatePreview();
    editor.grid().updatePreview();
    const std::vector<DrawItem> withTool = prepare(0);
    EXPECT_FALSE(withTool.at(0).isSelected);
    EXPECT_TRUE(withTool.at(1).isSelected);
    EXPECT_EQ(withTool[1].layer->positions.size(), 1u);
    gridLift->withTool = false;
    editor.grid().invalidatePreview();

    // A selection change ends the frame. Ids that name nothing are ignored, and only the
    // selected mesh shows a selection.
    editor.controller.selectedFacesIds() = {1, 70000};
    editor.controller.selectedPointsIds() = {-1, 1, 1LL << 40};
    editor.controller.refresh();
    const std::vector<DrawItem> changed = prepare(0);
    const LayerDrawData& grid = *changed.at(0).data;
    EXPECT_THAT(gather(grid.triangles, grid.selectedTriangles), ElementsAre(0, 6, 5));
    EXPECT_THAT(grid.selectedPoints, ElementsAre(IndexRange{1, 1}));
    EXPECT_THAT(grid.ordinaryPoints, ElementsAre(IndexRange{0, 1}, IndexRange{2, 23}));
    EXPECT_TRUE(changed.at(1).data->selectedPoints.empty());
    // A layer replaced without telling anyone is drawn from its own data, though shaped alike.
    const LayerPtr flipped = std::make_shared<Layer>(*editor.cube()->model()->committed());
    const std::vector<std::uint32_t> reversed(flipped->faces.corners().rbegin(),
                                              flipped->faces.corners().rend());
    flipped->faces = FaceList(reversed, 3);
    editor.cube()->model()->setCommitted(flipped);
    const std::span<const std::uint32_t> drawn = prepare(1).at(1).data->triangles;
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0], flipped->faces[0][0]);
}

// Two quads side by side, sharing the edge 1–4: 3 4 5 above 0 1 2.
TEST(FrameDataTest, QuadsDrawTheirOwnEdgesOnceAndTheirTrianglesBuiltOncePerLayer) {
    FakeEditor editor;
    const LayerPtr quads =
        makeLayer({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                  FaceList::polygons({{0, 1, 4, 3}, {1, 2, 5, 4}}));
    editor.grid().setCommitted(quads);
    FrameData& frame = editor.controller.frameData;
    const auto drawQuads = [&] {
        editor.controller.refresh();
        const LayerDrawData* data = nullptr;
        for (FakeViewport& view : editor.views) {
            data = frame.prepare(view, editor.controller.frameContent()).at(0).data;
        }
        return data;
    };
    const auto edges = [](std::span<const std::uint32_t> list) {
        std::multiset<std::pair<std::uint32_t, std::uint32_t>> pairs;
        for (size_t i = 0; i + 1 < list.size(); i += 2) {
            pairs.emplace(list[i], list[i + 1]);
        }
        return pairs;
    };
    using Edges = std::multiset<std::pair<std::uint32_t, std::uint32_t>>;

    const LayerDrawData* data = drawQuads();
    EXPECT_THAT(data->triangles, ElementsAre(0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4));
    EXPECT_EQ(edges(data->edges), (Edges{{0, 1}, {1, 4}, {3, 4}, {0, 3}, {1, 2}, {2, 5}, {4, 5}}));
    const size_t built = frame.faceListBuilds();

    // Camera moves and selection changes split what was built.
    editor.views[0].key("a");
    drawQuads();
    editor.controller.selectedFacesIds() = {1};
    data = drawQuads();
    EXPECT_THAT(data->ordinaryTriangles, ElementsAre(IndexRange{0, 6}));
    EXPECT_THAT(data->selectedTriangles, ElementsAre(IndexRange{6, 6}));
    EXPECT_EQ(edges(data->selectedEdges), (Edges{{1, 4}, {1, 2}, {2, 5}, {4, 5}}));
    EXPECT_EQ(frame.faceListBuilds(), built);

    // A new layer with point 3 moved into the first quad, now concave: that face is cut again,
    // the edges are those of the faces before.
    const auto dented = std::make_shared<Layer>(*quads);
    dented->positions[3] = {0.7f, 0.3f, 0};
    editor.grid().setCommitted(dented);
    editor.controller.selectedFacesIds().clear();
    data = drawQuads();
    EXPECT_THAT(data->triangles, ElementsAre(3, 0, 1, 4, 3, 1, 1, 2, 5, 1, 5, 4));
    EXPECT_EQ(edges(data->edges).size(), 7u);
    EXPECT_EQ(frame.faceListBuilds(), built + 1);
}

// Points along x from -3 to 3 seen through the identity: the view holds -1 ≤ x, y ≤ 1, 0 ≤ z ≤ 1.
TEST(FrameDataTest, AViewportDrawsTheRunsItMaySeeAndNothingHiddenOrDenserThanItsPixels) {
    std::vector<Vector3> points;
    for (int x = -3; x <= 3; ++x) {
        points.push_back({static_cast<float>(x), 0, 0.5f});
    }
    const Matrix identity;
    const ListBounds pairs = boundsOfRuns(points, {}, 2);
    ASSERT_EQ(pairs.boxes.size(), 4u);
    EXPECT_EQ(visibility(*pairs.boxes[0], identity), Visibility::Outside);
    EXPECT_EQ(visibility(*pairs.boxes[1], identity), Visibility::Inside);
    EXPECT_EQ(visibility(*pairs.boxes[2], identity), Visibility::Partly);
    EXPECT_THAT(visibleParts({{0, 7}}, pairs, identity), ElementsAre(IndexRange{2, 4}));
    EXPECT_THAT(visibleParts({{0, 3}, {4, 3}}, pairs, identity),
                ElementsAre(IndexRange{2, 1}, IndexRange{4, 2}));
    // A list's runs bound the points it names; a point that is no number leaves its run unbounded,
    // drawn whatever the view.
    const std::vector<std::uint32_t> edges{0, 6, 2, 3, 6, 5};
    points[5].x = NAN;
    const ListBounds listed = boundsOfRuns(points, edges, 2);
    EXPECT_EQ(visibility(*listed.boxes[0], identity), Visibility::Partly);
    EXPECT_FALSE(listed.boxes[2]);
    EXPECT_THAT(visibleParts({{0, 6}}, listed, identity), ElementsAre(IndexRange{0, 6}));

    // A 101 × 101 grid two units wide fills a viewport of 100 × 100 pixels: its points and edges
    // would cover its faces. At 1000 × 1000 pixels there is room for them.
    const LayerPtr grid = QuadGenerator(100, 100).generateLayer();
    LayerDrawData data;
    data.bounds = Box{{-1, -1, 0}, {1, 1, 0}};
    DrawItem item;
    item.layer = grid;
    item.data = &data;
    item.matrix = Matrix::translation({0, 0, 0.5f});
    EXPECT_TRUE(outlineTooDense(item, 100, 100));
    EXPECT_FALSE(outlineTooDense(item, 1000, 1000));
    // Selected, its points are drawn large, but no wider than about their spacing: four pixels
    // apart they still hide all beneath, ten apart they leave room between them.
    item.isSelected = true;
    EXPECT_EQ(pointSizeOf(item, 400, 400), 4);
    EXPECT_NEAR(pointSizeOf(item, 1000, 1000), 4.95, 0.01);
    EXPECT_EQ(pointSizeOf(item, 4000, 4000), 10);
    EXPECT_TRUE(largePointsCoverFaces(item, 400, 400));
    EXPECT_FALSE(largePointsCoverFaces(item, 1000, 1000));
    EXPECT_FALSE(largePointsCoverFaces(item, 100, 100));

    // Opaque meshes are drawn nearest first, so that the large grid, behind the cube here, is
    // tested before it is drawn; with a translucent mesh the order stays. The depth is w = z.
    Matrix depth;
    depth.data = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0};
    LayerDrawData near;
    near.bounds = Box{{-1, -1, -1}, {1, 1, -1}};
    DrawItem cube = item;
    cube.layer = Model::makeCube()->committed();
    cube.data = &near;
    cube.matrix = depth * Matrix::translation({0, 0, 3});
    item.matrix = depth * Matrix::translation({0, 0, 5});
    data.triangles = grid->faces.corners();
    EXPECT_THAT(drawOrder({item, cube}), ElementsAre(1, 0));
    EXPECT_TRUE(worthHiddenTest(item));
    EXPECT_FALSE(worthHiddenTest(cube));
    cube.material = std::make_shared<Material>();
    cube.material->opacity = 0.5f;
    EXPECT_THAT(drawOrder({item, cube}), ElementsAre(0, 1));
    // A box around the camera could hide itself while the mesh shows.
    data.bounds = Box{{-1, -1, -6}, {1, 1, 0}};
    EXPECT_FALSE(worthHiddenTest(item));
}

} // namespace tessel::testing

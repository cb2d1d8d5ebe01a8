// Geometry that collapses: faces scaled to a point, welded away, extruded with no area, cut
// exactly through their corners. Positions may become not-a-number where the edits say so, but
// every layer stays well formed, every tool keeps working on it, and the drawing lists skip
// what cannot be drawn.
#include "tools/plane_cut.h"
#include "tools/point_merge.h"
#include "tools/polygon_tools.h"
#include "tools/selection.h"
#include "tools/weld.h"

#include "../../fuzz/layer_program.h"
#include "support/fake_viewport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel {
namespace {

using fuzz::indexFault;
using fuzz::layerFault;
using testing::FakeEditor;

// Viewport 0 looks at the grid so that world (x, y) shows at normalized (0.5 − x, 0.5 + y).
Vec2 seen(float x, float y) { return {0.5f - x, 0.5f + y}; }

bool isFinite(const Vector3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

void expectWellFormed(const Layer& layer) {
    const auto fault = layerFault(layer);
    EXPECT_FALSE(fault.has_value()) << *fault;
    const std::vector<std::uint32_t> faces{0, 5, 1000};
    const std::vector<std::int64_t> points{-1, 0, 3, 1 << 20};
    const auto drawing = indexFault(layer, faces, points);
    EXPECT_FALSE(drawing.has_value()) << *drawing;
}

// No two points of the layer closer than the merge distance.
bool hasCoincidentPoints(const Layer& layer) {
    for (size_t i = 0; i < layer.points.size(); ++i) {
        for (size_t j = i + 1; j < layer.points.size(); ++j) {
            const Vector3 d = layer.points[i]->position - layer.points[j]->position;
            if (d.squaredLength() < coincidentDistanceSquared) {
                return true;
            }
        }
    }
    return false;
}

class DegenerateTest : public ::testing::Test {
protected:
    void SetUp() override { editor.quad()->setModel(QuadGenerator(4, 4).generate()); }

    DetailViewController& controller() { return editor.controller; }
    Model& model() { return *editor.quad()->model(); }
    LayerPtr committed() { return model()._layers().front(); }
    // What the viewports would draw now, read as a frame would read it.
    LayerPtr shown() { return model().layers().front(); }

    void pick(DetailViewController::Mode mode, int tool) {
        controller().modeSelected(static_cast<int>(mode));
        controller().toolSelected(tool);
    }
    // Press at world (x, y) in viewport 0, drag by a normalized offset, release.
    void gesture(float x, float y, Vec2 offset) {
        const Vec2 at = seen(x, y);
        editor.views[0].press(at.x, at.y);
        shown();
        editor.views[0].dragTo(at.x + offset.x, at.y + offset.y);
        shown();
        editor.views[0].release();
        shown();
    }

    FakeEditor editor;
};

TEST_F(DegenerateTest, ScaleToTheCentroidCollapsesTheFaceAndLeavesItDrawable) {
    pick(DetailViewController::Mode::Polygon, 1);
    // dx + dy = −1 (device units) scales by zero.
    gesture(0.1f, -0.2f, {-0.25f, -0.25f});

    const LayerPtr layer = committed();
    expectWellFormed(*layer);
    ASSERT_EQ(layer->polygons.size(), 32u);
    ASSERT_EQ(controller().selectedFacesIds.size(), 1u);
    const auto verts = layer->polygons[controller().selectedFacesIds[0]]->verts();
    EXPECT_EQ(verts[0]->position, verts[1]->position);
    EXPECT_EQ(verts[1]->position, verts[2]->position);
    EXPECT_NE(verts[0], verts[1]);
    // Zero area is no repeated vertex: the face stays, and is listed for drawing.
    EXPECT_FALSE(layer->polygons[controller().selectedFacesIds[0]]->isDegenerated());
    EXPECT_EQ(handleIndexDataForTriangles(*layer, true, {}).ordinary.size(), 3u * 32);

    // A collapsed face is never hit: a press at its centroid picks a neighbour or nothing, and
    // every tool keeps working on the layer.
    const Vector3 c = verts[0]->position;
    for (int tool : {3, 4, 0, 5}) {
        pick(DetailViewController::Mode::Polygon, tool);
        gesture(c.x, c.y, {0.05f, 0.02f});
        expectWellFormed(*committed());
        for (const std::uint32_t id : controller().selectedFacesIds) {
            ASSERT_LT(id, committed()->polygons.size());
            EXPECT_NE(committed()->polygons[id]->verts()[0]->position,
                      committed()->polygons[id]->verts()[1]->position);
        }
    }
}

TEST_F(DegenerateTest, WeldingEveryPointOfAFaceRemovesItAndTheFacesSharingAnEdge) {
    pick(DetailViewController::Mode::Vertex, 1);
    // Face 0 of the grid is (0, 1, 6): face 1 (0, 6, 5) shares its edge (0, 6), face 3
    // (1, 7, 6) its edge (1, 6).
    const LayerPtr before = committed();
    std::vector<std::int64_t> ids;
    for (const PointPtr& v : before->polygons[0]->verts()) {
        ids.push_back(static_cast<std::int64_t>(*before->indexOf(v)));
    }
    controller().selectedPointsIds = ids;
    editor.views[0].release();

    const LayerPtr layer = committed();
    expectWellFormed(*layer);
    // Face 0 and those two collapse; the faces sharing one corner stay, now fanned around the
    // merged point.
    EXPECT_EQ(layer->polygons.size(), 29u);
    ASSERT_EQ(controller().selectedPointsIds.size(), 1u);
    const PointPtr merged = layer->points[static_cast<size_t>(controller().selectedPointsIds[0])];
    EXPECT_NEAR(merged->position.x, (-0.5f - 0.25f - 0.25f) / 3, 1e-6f);
    for (const PolygonPtr& face : layer->polygons) {
        EXPECT_FALSE(face->isDegenerated());
    }
}

TEST_F(DegenerateTest, WeldingEveryPointEmptiesTheMeshAndTheToolsCarryOn) {
    pick(DetailViewController::Mode::Vertex, 1);
    for (std::int64_t i = 0; i < 25; ++i) {
        controller().selectedPointsIds.push_back(i);
    }
    editor.views[0].release();

    const LayerPtr layer = committed();
    EXPECT_TRUE(layer->points.empty());
    EXPECT_TRUE(layer->polygons.empty());
    EXPECT_TRUE(controller().selectedPointsIds.empty());
    expectWellFormed(*layer);

    // Every tool on an empty mesh: presses, drags, releases and Apply change nothing.
    for (int mode = 0; mode < 3; ++mode) {
        for (int tool = 0; tool < static_cast<int>(controller().modes[mode].tools.size()); ++tool) {
            pick(static_cast<DetailViewController::Mode>(mode), tool);
            if (mode == 2 && tool == 0) {
                continue; // Mesh Move would select the cube under the pointer instead.
            }
            gesture(0, 0, {0.1f, 0.1f});
            controller().apply();
            EXPECT_TRUE(committed()->points.empty()) << "mode " << mode << " tool " << tool;
            EXPECT_TRUE(committed()->polygons.empty()) << "mode " << mode << " tool " << tool;
        }
    }
}

TEST_F(DegenerateTest, ExtrudingAZeroAreaFaceGivesNotANumberPointsThatNothingTrips) {
    // Collapse face 10 onto its centroid, then extrude it: the normal is not-a-number and so are
    // the three new points.
    LayerPtr layer = committed();
    const Vector3 c = layer->polygons[10]->centroid();
    for (const PointPtr& v : layer->polygons[10]->verts()) {
        v->position = c;
    }
    layer->extrudeTriangle(10, 0.5f);
    expectWellFormed(*layer);
    ASSERT_EQ(layer->points.size(), 28u);
    for (size_t i = 25; i < 28; ++i) {
        EXPECT_TRUE(std::isnan(layer->points[i]->position.x)) << i;
    }

    // Never selected by a rectangle over the whole view, never picked, never merged with
    // anything; a cut and the merges run to the end.
    // Viewport 1 sees the whole grid small in its middle; its corners are empty.
    editor.views[1].press(0.02f, 0.02f);
    editor.views[1].dragTo(0.98f, 0.98f);
    for (const std::int64_t id : controller().selectedPointsIds) {
        EXPECT_TRUE(isFinite(layer->points[static_cast<size_t>(id)]->position)) << id;
    }
    EXPECT_EQ(controller().selectedPointsIds.size(), 25u);
    editor.views[1].release();

    for (const auto& hit : layer->intersections({{c.x, c.y, 1}, {c.x, c.y, 0}})) {
        EXPECT_TRUE(isFinite(hit.second)) << "face " << hit.first;
    }
    mergeCoincidentPoints(*layer);
    expectWellFormed(*layer);
    cutAlongPlane(*layer, Vector3{1, 0, 0}, Vector3{0.01f, 0, 0});
    expectWellFormed(*layer);
    EXPECT_FALSE(hasCoincidentPoints(*layer));

    // The whole editing cycle on it: scale a face next to it and commit.
    pick(DetailViewController::Mode::Polygon, 1);
    gesture(-0.4f, 0.4f, {0.1f, 0.1f});
    expectWellFormed(*committed());
}

TEST_F(DegenerateTest, CutsExactlyThroughVerticesLeaveNoSliversOrDuplicates) {
    struct Case {
        const char* name;
        Vector3 normal;
        Vector3 origin;
    };
    const Case cases[] = {
        // Through a column of grid vertices (x = 0) and along the grid's diagonal edges.
        {"vertex column", {1, 0, 0}, {0, 0, 0}},
        {"diagonal", Vector3{1, -1, 0}.normalized(), {0, 0, 0}},
        // Touching the cube at one corner only, and through four of its corners.
        {"corner", Vector3{1, 1, 1}.normalized(), {1, 1, 1}},
        {"corner plane", Vector3{1, -1, 0}.normalized(), {0, 0, 0}},
        // A plane with no direction cuts nothing.
        {"no normal", Vector3{0, 0, 0}.normalized(), {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool cube : {false, true}) {
            const LayerPtr layer = cube ? Model::makeCube()->layers().front()
                                        : QuadGenerator(4, 4).generateLayer();
            const size_t before = layer->polygons.size();
            cutAlongPlane(*layer, c.normal, c.origin);
            expectWellFormed(*layer);
            EXPECT_FALSE(hasCoincidentPoints(*layer));
            EXPECT_GE(layer->polygons.size(), before);
            for (const PolygonPtr& face : layer->polygons) {
                EXPECT_FALSE(face->isDegenerated());
                for (const PointPtr& v : face->verts()) {
                    EXPECT_TRUE(isFinite(v->position));
                }
            }
            // A second cut along the same plane finds everything already cut.
            const size_t once = layer->polygons.size();
            cutAlongPlane(*layer, c.normal, c.origin);
            expectWellFormed(*layer);
            EXPECT_EQ(layer->polygons.size(), once);
        }
    }
}

} // namespace
} // namespace tessel

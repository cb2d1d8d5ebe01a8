#include "tools/polygon_tools.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <functional>

namespace tessel {
namespace {

using testing::FakeEditor;
using testing::committed;
using testing::positions;

// In viewport 0 the camera looks at the grid (z = 0) so that world (x, y) is seen at the
// normalized position (0.5 − x, 0.5 + y): device x = −2·x, device y = 2·y.
Vec2 seen(float x, float y) {
    return {0.5f - x, 0.5f + y};
}

std::vector<Vector3> ring(const Polygon& face) {
    std::vector<Vector3> result;
    for (const PointPtr& v : face.verts()) {
        result.push_back(v->position);
    }
    return result;
}

// The face of a flat layer in z = 0 whose inside holds (x, y).
size_t faceAt(const Layer& layer, float x, float y) {
    for (size_t i = 0; i < layer.polygons.size(); ++i) {
        const auto v = layer.polygons[i]->verts();
        bool inside = true;
        for (size_t k = 0; k < 3; ++k) {
            const Vector3& a = v[k]->position;
            const Vector3& b = v[(k + 1) % 3]->position;
            inside = inside && (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x) > 0;
        }
        if (inside) {
            return i;
        }
    }
    ADD_FAILURE() << "no face at (" << x << ", " << y << ")";
    return 0;
}

void expectNear(const std::vector<Vector3>& actual, const std::vector<Vector3>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-5f) << "vertex " << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, 1e-5f) << "vertex " << i;
        EXPECT_NEAR(actual[i].z, expected[i].z, 1e-5f) << "vertex " << i;
    }
}

class PolygonToolsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A fixed copy of the 4 × 4 grid, so that commits are easy to compare with the start.
        editor.quad()->setModel(QuadGenerator(4, 4).generate());
    }

    template <class Tool> std::shared_ptr<Tool> choose() {
        auto tool = Tool::make(editor.controller);
        editor.controller.mode = DetailViewController::Mode::Polygon;
        editor.controller.op = tool;
        return tool;
    }
    Model& model() { return *editor.quad()->model(); }

    // A gesture in viewport 0 from world (x, y) by a normalized offset, with a frame drawn
    // after every event as the viewports would.
    void gesture(Vec2 from, Vec2 by, bool release = true) {
        auto& view = editor.views[0];
        view.press(from.x, from.y);
        model().layers();
        view.dragTo(from.x + by.x / 2, from.y + by.y / 2);
        model().layers();
        view.dragTo(from.x + by.x, from.y + by.y);
        model().layers();
        if (release) {
            view.release();
        }
    }

    FakeEditor editor;
};

TEST_F(PolygonToolsTest, ExtrudeLiftsThePressedTriangleByDxPlusDy) {
    const LayerPtr before = committed(model());
    const size_t face = faceAt(*before, 0.11f, 0.04f);
    const std::vector<Vector3> corners = ring(*before->polygons[face]);
    auto tool = choose<Extrude>();

    // dx = 0.2, dy = 0.4 device units: a distance of 0.6 along the normal (0, 0, 1).
    gesture(seen(0.11f, 0.04f), {0.1f, 0.2f});
    const LayerPtr after = committed(model());
    ASSERT_EQ(after->polygons.size(), 32u + 6u);
    ASSERT_EQ(after->points.size(), 25u + 3u);
    std::vector<Vector3> lifted = corners;
    for (Vector3& p : lifted) {
        p.z += 0.6f;
    }
    expectNear(ring(*after->polygons[face]), lifted);
    EXPECT_EQ(editor.controller.selectedFacesIds,
              std::vector<std::uint32_t>{static_cast<std::uint32_t>(face)});
    EXPECT_FALSE(editor.controller.delta.has_value());
    EXPECT_FALSE(tool->intersection().has_value());

    // Downward extrudes against the normal; a press elsewhere on the grid so the cap is not hit.
    const size_t other = faceAt(*after, -0.3f, -0.35f);
    gesture(seen(-0.3f, -0.35f), {0, -0.1f});
    std::vector<Vector3> sunk = ring(*after->polygons[other]);
    for (Vector3& p : sunk) {
        p.z -= 0.2f;
    }
    expectNear(ring(*committed(model())->polygons[other]), sunk);
}

TEST_F(PolygonToolsTest, ScaleScalesAboutTheCentroidByOnePlusDxPlusDy) {
    const LayerPtr before = committed(model());
    const size_t face = faceAt(*before, 0.11f, 0.04f);
    const std::vector<Vector3> corners = ring(*before->polygons[face]);
    choose<PolygonScale>();

    // Straight up by a quarter of the height: dy = 0.5, factor 1.5.
    gesture(seen(0.11f, 0.04f), {0, 0.25f});
    const Vector3 c = (corners[0] + corners[1] + corners[2]) * (1.0f / 3);
    std::vector<Vector3> scaled;
    for (const Vector3& p : corners) {
        scaled.push_back(c + (p - c) * 1.5f);
    }
    const LayerPtr after = committed(model());
    expectNear(ring(*after->polygons[face]), scaled);
    EXPECT_EQ(after->points.size(), 25u);
}

TEST_F(PolygonToolsTest, DiagonalDragUpLeftLeavesThePolygonAsItWas) {
    const std::vector<Vector3> start = positions(*committed(model()));
    const size_t face = faceAt(*committed(model()), 0.11f, 0.04f);
    const std::vector<Vector3> corners = ring(*committed(model())->polygons[face]);

    choose<PolygonScale>();
    gesture(seen(0.11f, 0.04f), {-0.1f, 0.1f});
    expectNear(positions(*committed(model())), start);

    // Extrude by zero: the cap lies on the old face.
    choose<Extrude>();
    gesture(seen(0.11f, 0.04f), {-0.1f, 0.1f});
    expectNear(ring(*committed(model())->polygons[face]), corners);
}

TEST_F(PolygonToolsTest, MoveKeepsThePressedPointUnderThePointer) {
    const LayerPtr before = committed(model());
    const size_t face = faceAt(*before, 0.11f, 0.04f);
    const std::vector<Vector3> corners = ring(*before->polygons[face]);
    choose<PolygonTranslation>();

    // A press without drag commits the geometry unchanged.
    gesture(seen(0.11f, 0.04f), {0, 0});
    expectNear(positions(*committed(model())), positions(*before));

    // 0.5 device units to the right is −0.25 in world x on the grid.
    gesture(seen(0.11f, 0.04f), {0.25f, 0});
    std::vector<Vector3> moved = corners;
    for (Vector3& p : moved) {
        p.x -= 0.25f;
    }
    const LayerPtr after = committed(model());
    expectNear(ring(*after->polygons[face]), moved);
    // The neighbours stretch with the shared vertices; nothing is added.
    EXPECT_EQ(after->points.size(), 25u);
    EXPECT_EQ(after->polygons.size(), 32u);
}

TEST_F(PolygonToolsTest, SubdivideSplitsThePressedPolygonOncePerPress) {
    choose<PolygonSubdivide>();
    auto& view = editor.views[0];
    const Vec2 spot = seen(0.11f, 0.04f);

    view.press(spot.x, spot.y);
    // Shown while held, committed only at the release.
    EXPECT_EQ(model().layers().front()->polygons.size(), 34u);
    EXPECT_EQ(committed(model())->polygons.size(), 32u);
    view.release();
    EXPECT_EQ(committed(model())->polygons.size(), 34u);
    EXPECT_EQ(committed(model())->points.size(), 26u);

    // Pressing the same spot again subdivides whichever piece lies there.
    const size_t piece = faceAt(*committed(model()), 0.11f, 0.04f);
    view.click(spot.x, spot.y);
    EXPECT_EQ(committed(model())->polygons.size(), 36u);
    EXPECT_EQ(committed(model())->points.size(), 27u);
    EXPECT_EQ(editor.controller.selectedFacesIds,
              std::vector<std::uint32_t>{static_cast<std::uint32_t>(piece)});
}

TEST_F(PolygonToolsTest, DeleteRemovesTheFaceWithItsUnusedCornerAndShiftsIds) {
    // The top-left corner point (0, 4) belongs to one triangle only, the one holding (−0.45, 0.45).
    const LayerPtr before = committed(model());
    const size_t face = faceAt(*before, -0.45f, 0.45f);
    std::vector<Vector3> expectedPoints;
    for (const PointPtr& p : before->points) {
        if (!(p->position.x == -0.5f && p->position.y == 0.5f)) {
            expectedPoints.push_back(p->position);
        }
    }
    std::vector<std::vector<Vector3>> expectedFaces;
    for (size_t i = 0; i < before->polygons.size(); ++i) {
        if (i != face) {
            expectedFaces.push_back(ring(*before->polygons[i]));
        }
    }
    choose<PolygonDelete>();
    EXPECT_EQ(model().modifier_, nullptr);

    // Dragging off the face before the release still deletes it.
    gesture(seen(-0.45f, 0.45f), {0.3f, -0.3f});
    const LayerPtr after = committed(model());
    EXPECT_EQ(positions(*after), expectedPoints);
    ASSERT_EQ(after->polygons.size(), expectedFaces.size());
    for (size_t i = 0; i < expectedFaces.size(); ++i) {
        EXPECT_EQ(ring(*after->polygons[i]), expectedFaces[i]) << "face " << i;
    }
    EXPECT_TRUE(editor.controller.selectedFacesIds.empty());
    EXPECT_EQ(model().modifier_, nullptr);
}

TEST_F(PolygonToolsTest, PressThatMissesCommitsAnUnchangedCopy) {
    // Viewport 1 sees the grid small in its centre; its corner shows nothing.
    const LayerPtr before = committed(model());
    auto tool = choose<PolygonTranslation>();
    auto& view = editor.views[1];
    view.press(0.95f, 0.95f);
    EXPECT_FALSE(tool->intersection().has_value());
    EXPECT_TRUE(editor.controller.selectedFacesIds.empty());
    view.dragTo(0.5f, 0.5f);
    view.release();
    EXPECT_NE(committed(model()), before);
    EXPECT_EQ(positions(*committed(model())), positions(*before));
    EXPECT_EQ(committed(model())->polygons.size(), before->polygons.size());
}

TEST_F(PolygonToolsTest, StaleFaceIdsAreIgnoredByEveryTool) {
    const std::vector<Vector3> start = positions(*committed(model()));
    const std::vector<std::function<OperationPtr()>> tools{
        [&] { return choose<PolygonTranslation>(); }, [&] { return choose<PolygonScale>(); },
        [&] { return choose<Extrude>(); }, [&] { return choose<PolygonSubdivide>(); },
        [&] { return choose<PolygonDelete>(); }};
    for (size_t t = 0; t < tools.size(); ++t) {
        tools[t]();
        auto& view = editor.views[0];
        const Vec2 spot = seen(0.11f, 0.04f);
        view.press(spot.x, spot.y);
        // The layer changed under the selection (an id past its end).
        editor.controller.selectedFacesIds = {1000, 70000};
        view.dragTo(spot.x + 0.1f, spot.y + 0.1f);
        view.release();
        EXPECT_EQ(positions(*committed(model())), start) << "tool " << t;
        EXPECT_EQ(committed(model())->polygons.size(), 32u) << "tool " << t;
    }
}

TEST_F(PolygonToolsTest, FaceIdsPast16BitsAreEdited) {
    // 182 × 182 cells: 66,248 triangles; the top row's ids are all above 65,535.
    editor.quad()->setModel(QuadGenerator(182, 182).generate());
    const size_t face = faceAt(*committed(model()), 0.3f, 0.49f);
    ASSERT_GT(face, 65535u);
    const std::vector<Vector3> corners = ring(*committed(model())->polygons[face]);
    choose<Extrude>();

    gesture(seen(0.3f, 0.49f), {0, -0.1f}, false);
    EXPECT_EQ(editor.controller.selectedFacesIds,
              std::vector<std::uint32_t>{static_cast<std::uint32_t>(face)});
    editor.views[0].release();
    std::vector<Vector3> sunk = corners;
    for (Vector3& p : sunk) {
        p.z -= 0.2f;
    }
    expectNear(ring(*committed(model())->polygons[face]), sunk);
}

} // namespace
} // namespace tessel

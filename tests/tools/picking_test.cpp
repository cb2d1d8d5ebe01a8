#include "tools/picking.h"
#include "tools/selection.h"

#include "support/fake_viewport.h"
#include "support/mesh_helpers.h"

#include <gmock/gmock.h>

namespace tessel::testing {

// A camera looking down −z from (0, 0, eyeZ), and the cube. The line from the eye straight
// ahead through (0.1, 0.05) meets the cube's face 0 at z = −1 and face 2 at z = 1.
struct CubeInView {
    explicit CubeInView(float eyeZ) : line{{0.1f, 0.05f, eyeZ}, {0.1f, 0.05f, eyeZ - 1}} {
        camera->localMatrix = Matrix::translation({0, 0, eyeZ});
        view.camera = camera;
    }
    Line line;
    CameraPtr camera = Camera::make();
    FakeViewport view{1.5f};
    MeshPtr cube = Mesh::make(Model::makeCube());
};

TEST(PickingTest, NearestIntersectionTakesTheNearestHitInFrontOfTheNearPlane) {
    struct Case {
        const char* name;
        float eyeZ, cubeZ;
        std::optional<size_t> face;
    };
    const Case cases[] = {
        {"the nearer face wins over the earlier id", 2.5f, 0, 2},
        {"a hit on the near plane is dropped", 1.125f, 0, 0},
        {"a hit between the eye and the near plane is dropped", 1.0625f, 0, 0},
        {"depth is judged in the mesh's frame", 2.5f, 1.45f, 0},
        {"nothing lies ahead", -1.5f, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        CubeInView scene(c.eyeZ);
        scene.cube->localMatrix = Matrix::translation({0, 0, c.cubeZ});
        const auto hit = nearestIntersection(*scene.cube->model()->committed(), scene.line,
                                             scene.view, *scene.cube);
        EXPECT_EQ(hit ? std::optional(hit->first) : std::nullopt, c.face) << c.name;
    }
}

TEST(PickingTest, EqualDepthsGoToTheEarlierFaceAndTheEarlierMesh) {
    CubeInView scene(2.5f);
    Layer twice = *scene.cube->model()->committed();
    twice.faces.push_back(twice.faces[2]);
    const auto hit = nearestIntersection(twice, scene.line, scene.view, *scene.cube);
    EXPECT_EQ(hit->first, 2u);
    expectNear(hit->second, {0.1f, 0.05f, 1});

    const MeshPtr twin = Mesh::make(Model::makeCube());
    const MeshPtr nearer = Mesh::make(Model::makeCube());
    nearer->localMatrix = Matrix::translation({0, 0, 0.5f});
    const Vec2 at{0.02f, 0.01f};
    EXPECT_EQ(nearestMesh({scene.cube, twin}, at, scene.view)->first, scene.cube);
    EXPECT_EQ(nearestMesh({twin, scene.cube}, at, scene.view)->first, twin);
    EXPECT_EQ(nearestMesh({twin, nearer}, at, scene.view)->first, nearer);
    EXPECT_FALSE(nearestMesh({}, at, scene.view));
    // The eye is the camera's own translation: moved by a parent, the camera still casts from
    // (0, 0, 2.5), through the near point under the pointer, now at x ≈ 1, past the cube.
    const NodePtr rig = Node::make("rig", {scene.camera});
    rig->localMatrix = Matrix::translation({1, 0, 0});
    EXPECT_FALSE(nearestMesh({scene.cube}, at, scene.view));
}

TEST(SelectionTest, TheClickBoxHoldsTheWholeLineOfSightWithoutDepthLimitOrOcclusion) {
    // From viewport 1's eye at (0, 0, 2.5) through (0.25, 0.25, 0): points on the grid's plane,
    // 5 and 22.5 units behind it and between it and the eye; then one beside.
    FakeEditor editor;
    FakeViewport& view = editor.views[1];
    view.pressPosition = view.normalizedOf({0.25f, 0.25f, 0});
    const LayerPtr points = makeLayer({{0.25f, 0.25f, 0},
                                       {0.75f, 0.75f, -5},
                                       {2.5f, 2.5f, -22.5f},
                                       {0.1f, 0.1f, 1.5f},
                                       {0.3f, 0.25f, 0}});
    EXPECT_THAT(pointsInside(editor.controller.selectionSides(view, true), *points),
                ::testing::ElementsAre(0, 1, 2, 3));
}

} // namespace tessel::testing

#include "scene/navigation.h"
#include "tools/tool_support.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

namespace tessel::testing {

namespace {

Vector3 onScreen(const Camera& camera, float aspect, const Vector3& p) {
    return project(p, camera.viewProjection(aspect));
}

Vector3 eye(const Camera& camera) { return camera.localMatrix.translationPart(); }

} // namespace

// A camera a little off every axis and turned, so that no case holds only by symmetry; the
// pivot (0.1, 0.2, −0.4) stays where it was seen, and at its distance, through every orbit.
TEST(NavigationTest, OrbitZoomAndPanKeepWhatIsAtThePivotsDepthUnderThePointer) {
    const Vector3 pivot{0.1f, 0.2f, -0.4f};
    for (const float aspect : {0.6f, 1.0f, 2.2f}) {
        SCOPED_TRACE(aspect);
        const CameraPtr camera = Camera::make();
        camera->localMatrix = Matrix::translation({0.3f, -0.2f, 3});
        const float distance = (eye(*camera) - pivot).length();
        const Vector3 seen = onScreen(*camera, aspect, pivot);
        orbit(*camera, pivot, 0.7f, -0.4f);
        EXPECT_NEAR((eye(*camera) - pivot).length(), distance, 1e-5f);
        expectNear(onScreen(*camera, aspect, pivot), seen, 1e-5f);
        EXPECT_GT((eye(*camera) - Vector3{0.3f, -0.2f, 3}).length(), 1);
        // Pitched from the turned camera: about its own side axis, which stays.
        const Vector3 side{camera->localMatrix(0, 0), camera->localMatrix(1, 0),
                           camera->localMatrix(2, 0)};
        orbit(*camera, pivot, 0, 0.5f);
        EXPECT_NEAR((eye(*camera) - pivot).length(), distance, 1e-5f);
        expectNear(onScreen(*camera, aspect, pivot), seen, 1e-5f);
        expectNear(
            {camera->localMatrix(0, 0), camera->localMatrix(1, 0), camera->localMatrix(2, 0)}, side,
            1e-5f);

        // The point seen at (0.4, −0.3) at the pivot's depth.
        const Vector3 under = unproject(0.4f, -0.3f, onScreen(*camera, aspect, pivot).z,
                                        camera->viewProjection(aspect).inverted());
        const float before = (eye(*camera) - under).length();
        zoom(*camera, aspect, pivot, 0.4f, -0.3f, 0.5f);
        EXPECT_NEAR(onScreen(*camera, aspect, under).x, 0.4f, 1e-4f);
        EXPECT_NEAR(onScreen(*camera, aspect, under).y, -0.3f, 1e-4f);
        EXPECT_NEAR((eye(*camera) - under).length(), before / 2, 1e-4f);

        pan(*camera, aspect, pivot, 0.4f, -0.3f, -0.2f, 0.5f);
        EXPECT_NEAR(onScreen(*camera, aspect, under).x, -0.2f, 1e-4f);
        EXPECT_NEAR(onScreen(*camera, aspect, under).y, 0.5f, 1e-4f);
    }
}

TEST(NavigationTest, APivotBehindTheEyePansWhatIsOneUnitAhead) {
    const CameraPtr camera = Camera::make();
    camera->localMatrix = Matrix::translation({0, 0, 2});
    pan(*camera, 1, {0, 0, 5}, 0, 0, 0.5f, 0.25f);
    EXPECT_NEAR(onScreen(*camera, 1, {0, 0, 1}).x, 0.5f, 1e-5f);
    EXPECT_NEAR(onScreen(*camera, 1, {0, 0, 1}).y, 0.25f, 1e-5f);
}

TEST(NavigationTest, ZoomingInStopsWhileThePivotIsStillInFrontAndZoomingOutStillWorks) {
    const CameraPtr camera = Camera::make();
    camera->localMatrix = Matrix::translation({0, 0, 2});
    for (int i = 0; i < 200; ++i) {
        zoom(*camera, 1, {}, 0.5f, 0.5f, 0.5f);
    }
    // Halved to two near-plane depths from the pivot, and no nearer.
    const float z = eye(*camera).z;
    EXPECT_FLOAT_EQ(z, 2 * camera->zn);
    zoom(*camera, 1, {}, 0.5f, 0.5f, 2);
    EXPECT_GT(eye(*camera).z, z);
}

TEST(NavigationTest, FramingAPointLeavesTheCameraTwoNearPlaneDepthsAway) {
    const CameraPtr camera = Camera::make();
    frame(*camera, 1, Box{{1, 2, 3}, {1, 2, 3}});
    expectNear(eye(*camera), {1, 2, 3 + 2 * camera->zn});
}

} // namespace tessel::testing

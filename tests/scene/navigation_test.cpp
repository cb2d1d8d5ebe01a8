#include "scene/navigation.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessel::testing {

namespace {

// A camera a little off every axis, turned, so that no case holds only by symmetry.
CameraPtr turnedCamera() {
    CameraPtr camera = Camera::make();
    camera->localMatrix = Matrix::translation({0.3f, -0.2f, 3});
    orbit(*camera, {0.1f, 0.2f, -0.4f}, 0.7f, -0.4f);
    return camera;
}

Vector3 onScreen(const Camera& camera, float aspect, const Vector3& p) {
    return (camera.viewProjection(aspect) * Vector4(p, 1)).dehomogenized();
}

bool isOrthonormal(const Matrix& m) {
    const Vector3 x{m(0, 0), m(1, 0), m(2, 0)}, y{m(0, 1), m(1, 1), m(2, 1)},
        z{m(0, 2), m(1, 2), m(2, 2)};
    return std::abs(x.dot(y)) < 1e-5f && std::abs(y.dot(z)) < 1e-5f && std::abs(z.dot(x)) < 1e-5f &&
           std::abs(x.length() - 1) < 1e-5f && std::abs(y.length() - 1) < 1e-5f &&
           std::abs(x.cross(y).dot(z) - 1) < 1e-5f;
}

} // namespace

TEST(NavigationTest, OrbitKeepsThePivotsDistanceAndPlaceOnTheScreen) {
    const CameraPtr camera = turnedCamera();
    const Vector3 pivot{0.5f, 0.1f, 0.2f};
    const float distance = (camera->localMatrix.translationPart() - pivot).length();
    const Vector3 seen = onScreen(*camera, 1.5f, pivot);
    const Matrix before = camera->localMatrix;
    orbit(*camera, pivot, 1.1f, 0.6f);
    EXPECT_NE(camera->localMatrix, before);
    EXPECT_NEAR((camera->localMatrix.translationPart() - pivot).length(), distance, 1e-5f);
    expectNear(onScreen(*camera, 1.5f, pivot), seen, 1e-5f);
    EXPECT_TRUE(isOrthonormal(camera->localMatrix));
}

TEST(NavigationTest, ZoomAndPanKeepWhatIsAtThePivotsDepthUnderThePointer) {
    const Vector3 pivot{0.1f, 0.2f, -0.4f};
    for (const float aspect : {0.6f, 1.0f, 2.2f}) {
        SCOPED_TRACE(aspect);
        const CameraPtr camera = turnedCamera();
        // The point of the pointer's line at the pivot's depth: same depth, seen at the pointer.
        const float depth = onScreen(*camera, aspect, pivot).z;
        const Matrix inverse = camera->viewProjection(aspect).inverted();
        const Vector3 under = (inverse * Vector4(0.4f, -0.3f, depth, 1)).dehomogenized();
        const float before = (camera->localMatrix.translationPart() - under).length();

        zoom(*camera, aspect, pivot, 0.4f, -0.3f, 0.5f);
        expectNear(onScreen(*camera, aspect, under),
                   {0.4f, -0.3f, onScreen(*camera, aspect, under).z}, 1e-4f);
        EXPECT_NEAR((camera->localMatrix.translationPart() - under).length(), before / 2, 1e-4f);

        pan(*camera, aspect, pivot, 0.4f, -0.3f, -0.2f, 0.5f);
        const Vector3 moved = onScreen(*camera, aspect, under);
        EXPECT_NEAR(moved.x, -0.2f, 1e-4f);
        EXPECT_NEAR(moved.y, 0.5f, 1e-4f);
        EXPECT_TRUE(isOrthonormal(camera->localMatrix));
    }
}

TEST(NavigationTest, ZoomingInStopsWhileThePivotIsStillInFrontAndZoomingOutStillWorks) {
    const CameraPtr camera = Camera::make();
    camera->localMatrix = Matrix::translation({0, 0, 2});
    for (int i = 0; i < 200; ++i) {
        zoom(*camera, 1, {}, 0.5f, 0.5f, 0.5f);
    }
    const float z = camera->localMatrix.translationPart().z;
    EXPECT_GT(z, camera->zn);
    zoom(*camera, 1, {}, 0.5f, 0.5f, 2);
    EXPECT_GT(camera->localMatrix.translationPart().z, z);
}

TEST(NavigationTest, LookFromPlacesTheEyeAlongTheDirectionWithTheScreensUp) {
    const CameraPtr camera = turnedCamera();
    lookFrom(*camera, {1, 2, 3}, {0, 2, 0}, {0, 0, -1}, 4);
    expectNear(camera->localMatrix.translationPart(), {1, 6, 3});
    // The pivot is at the centre; a point toward −z is above it on the screen.
    const Vector3 centre = onScreen(*camera, 1, {1, 2, 3});
    EXPECT_NEAR(centre.x, 0, 1e-6f);
    EXPECT_NEAR(centre.y, 0, 1e-6f);
    EXPECT_GT(onScreen(*camera, 1, {1, 2, 2}).y, 0.1f);
    EXPECT_TRUE(isOrthonormal(camera->localMatrix));
}

} // namespace tessel::testing

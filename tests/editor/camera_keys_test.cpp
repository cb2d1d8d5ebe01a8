// The keyboard camera, checked against matrices worked out here from the camera model itself
// rather than through the viewport's inverted view-projection.

#include "editor/detail_view_controller.h"

#include "support/fake_viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace tessel {
namespace {

using testing::FakeEditor;

struct Step {
    float dx = 0, dy = 0, dz = 0, pitch = 0, yaw = 0;
};

const std::map<std::string, Step> keys{
    {"a", {.dx = -0.1f}},   {"d", {.dx = 0.1f}},   {"s", {.dy = -0.1f}},    {"w", {.dy = 0.1f}},
    {"q", {.dz = -0.1f}},   {"e", {.dz = 0.1f}},   {"z", {.pitch = -0.1f}}, {"x", {.pitch = 0.1f}},
    {"c", {.yaw = -0.1f}},  {"v", {.yaw = 0.1f}},
};

// The world point seen at device position (x, y) and device depth z. In the camera's frame the
// projection maps a point at distance t in front (camera z = −t) to x = −cx / (aspect fov t),
// y = cy / (fov t), z = zn (t − zn) / ((zf − zn) fov t); solved for the camera-frame point and
// carried into the world by the camera's matrix.
Vector3 unprojected(const Camera& camera, float aspect, double x, double y, double z) {
    const double zn = camera.zn, zf = camera.zf, fov = camera.fov;
    const double t = zn * zn / (zn - z * fov * (zf - zn));
    const double c[3] = {-x * aspect * fov * t, y * fov * t, -t};
    const Matrix& m = camera.localMatrix;
    double w[3];
    for (int r = 0; r < 3; ++r) {
        w[r] = m(r, 0) * c[0] + m(r, 1) * c[1] + m(r, 2) * c[2] + m(r, 3);
    }
    return {static_cast<float>(w[0]), static_cast<float>(w[1]), static_cast<float>(w[2])};
}

// The camera matrix one key press should produce.
Matrix expectedAfter(const Camera& camera, float aspect, const Step& s) {
    const auto u = [&](double x, double y, double z) { return unprojected(camera, aspect, x, y, z); };
    const Vector3 p = camera.localMatrix.translationPart();
    const Vector3 origin = u(0, 0, 0);
    Vector3 x, y, z;
    if (s.pitch != 0) {
        x = -(u(1, 0, 0) - origin).normalized();
        z = (p - u(0, s.pitch, 0)).normalized();
        y = z.cross(x);
    } else {
        y = (u(0, 1, 0) - origin).normalized();
        z = (p - u(s.yaw, 0, 0)).normalized();
        x = y.cross(z);
    }
    const Vector3 moved = p + (u(s.dx, s.dy, s.dz) - origin);
    return Matrix({x.x, y.x, z.x, moved.x, x.y, y.y, z.y, moved.y, x.z, y.z, z.z, moved.z, 0, 0,
                   0, 1});
}

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance = 2e-5f) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.data[i], expected.data[i], tolerance)
            << "entry " << i << "\nactual   " << actual << "\nexpected " << expected;
    }
}

void expectOrthonormalAxes(const Matrix& m) {
    const Vector3 x{m(0, 0), m(1, 0), m(2, 0)};
    const Vector3 y{m(0, 1), m(1, 1), m(2, 1)};
    const Vector3 z{m(0, 2), m(1, 2), m(2, 2)};
    EXPECT_NEAR(x.length(), 1, 1e-5);
    EXPECT_NEAR(y.length(), 1, 1e-5);
    EXPECT_NEAR(z.length(), 1, 1e-5);
    EXPECT_NEAR(x.dot(y), 0, 1e-5);
    EXPECT_NEAR(y.dot(z), 0, 1e-5);
    EXPECT_NEAR(z.dot(x), 0, 1e-5);
}

class CameraKeysTest : public ::testing::TestWithParam<float> {};

TEST_P(CameraKeysTest, EachKeyMovesOrTurnsTheRecentCameraByItsStep) {
    const float aspect = GetParam();
    for (const auto& [key, step] : keys) {
        FakeEditor editor(aspect);
        editor.views[1].click(0.5f, 0.5f);
        const Camera& camera = *editor.controller.cameras[1];
        // A turned camera, so that every axis of the move matters.
        editor.controller.whenKeyDown("v");
        editor.controller.whenKeyDown("x");

        const Matrix expected = expectedAfter(camera, aspect, step);
        editor.views[1].keyDown(key);
        SCOPED_TRACE("key " + key);
        expectNear(camera.localMatrix, expected);
        expectOrthonormalAxes(camera.localMatrix);
    }
}

INSTANTIATE_TEST_SUITE_P(Aspects, CameraKeysTest, ::testing::Values(1.0f, 1.6f, 0.5f));

TEST(CameraKeysTest, DMovesTheFirstCameraBeforeAnyClickByATenthOfADeviceUnitAtTheNearPlane) {
    FakeEditor editor(2.0f);
    editor.controller.whenKeyDown("d");
    // At device depth 0 a device unit across is aspect · fov · zn world units, mirrored.
    expectNear(editor.controller.cameras[0]->localMatrix,
               Matrix::translation({-0.1f * 2.0f * 0.125f, 0, 0.5f}));
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(editor.controller.cameras[i]->localMatrix, Matrix::translation({0, 0, 2.5f}));
    }
}

TEST(CameraKeysTest, OnlyTheLastClickedViewportsCameraMoves) {
    FakeEditor editor;
    editor.views[3].click(0.2f, 0.2f);
    editor.views[0].keyDown("w");
    EXPECT_NE(editor.controller.cameras[3]->localMatrix, Matrix::translation({0, 0, 2.5f}));
    EXPECT_EQ(editor.controller.cameras[0]->localMatrix, Matrix::translation({0, 0, 0.5f}));
}

TEST(CameraKeysTest, RepeatedKeysFollowTheModelStepByStep) {
    FakeEditor editor(1.25f);
    const Camera& camera = *editor.controller.cameras[0];
    for (const char* key : {"e", "e", "z", "c", "c", "a", "x", "w", "q", "v"}) {
        const Matrix expected = expectedAfter(camera, 1.25f, keys.at(key));
        editor.controller.whenKeyDown(std::string(key));
        SCOPED_TRACE(std::string("key ") + key);
        expectNear(camera.localMatrix, expected, 5e-5f);
    }
}

TEST(CameraKeysTest, UnmappedKeysRebuildTheAxesWithoutMoving) {
    for (const std::optional<std::string>& key :
         {std::optional<std::string>("A"), std::optional<std::string>(""),
          std::optional<std::string>("ab"), std::optional<std::string>("\x1b"),
          std::optional<std::string>()}) {
        FakeEditor editor(1.5f);
        Camera& camera = *editor.controller.cameras[0];
        camera.localMatrix = Matrix::translation({0.25f, -0.5f, 1.0f}) * Matrix::rotationForZ(0.7f);
        const Matrix before = camera.localMatrix;

        editor.controller.whenKeyDown(key);
        SCOPED_TRACE(key ? "key \"" + *key + "\"" : "no characters");
        EXPECT_EQ(camera.localMatrix.translationPart(), before.translationPart());
        expectNear(camera.localMatrix, before);
        expectOrthonormalAxes(camera.localMatrix);
    }
}

} // namespace
} // namespace tessel

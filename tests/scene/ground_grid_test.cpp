#include "scene/ground_grid.h"
#include "scene/navigation.h"
#include "tools/tool_support.h"

#include "support/mesh_helpers.h"

#include <gtest/gtest.h>

namespace tessel::testing {

namespace {

Vector3 placed(const GroundGrid& grid, float a, float b) {
    return (grid.placement * Vector4(a, b, 0, 1)).dehomogenized();
}

} // namespace

// Where the view meets the plane, or the point under a camera that looks away from it, decides
// the centre (rounded to a major line) and, by its distance and the wider side of the view, a
// power of ten with 10 to 100 lines across. The lines the world numbers 0 lie on the axes.
TEST(GroundGridTest, CentresOnWhatTheCameraLooksAtWithTenToAHundredLinesAcross) {
    const struct {
        struct {
            Vector3 pivot, from, up;
            float distance, aspect;
            GridPlane plane;
        } view;
        struct {
            float spacing, minorWeight;
            std::array<float, 2> centre;
            Vector3 a, b; // the world's steps along the grid's a and b
            std::array<int, 2> axes;
        } grid;
    } cases[] = {
        // A starting camera: 7.5 wide at 2.5 away.
        {{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, 2.5f, 1.5f, GridPlane::Z},
         {0.1f, 0, {0, 0}, {0.1f, 0, 0}, {0, 0.1f, 0}, {0, 1}}},
        // From above, in a tall view: 16 wide at 4 away.
        {{{26.3f, 0, -14.8f}, {0, 1, 0}, {0, 0, -1}, 4, 0.5f, GridPlane::Y},
         {1, 1 - 0.20412f / 0.7f, {30, -10}, {1, 0, 0}, {0, 0, 1}, {0, 2}}},
        // Looking away from x = 0 from x = 2: the centre is under the camera, 2 away.
        {{{7, 0.7f, 0}, {-1, 0, 0}, {0, 1, 0}, 5, 1, GridPlane::X},
         {0.1f, 1 - 0.60206f / 0.7f, {10, 0}, {0, 0.1f, 0}, {0, 0, 0.1f}, {1, 2}}},
    };
    for (const auto& [view, expected] : cases) {
        SCOPED_TRACE(static_cast<int>(view.plane));
        Camera camera("camera");
        lookFrom(camera, view.pivot, view.from, view.up, view.distance);
        const GroundGrid grid = placeGroundGrid(camera, view.aspect, view.plane);
        EXPECT_FLOAT_EQ(grid.spacing, expected.spacing);
        EXPECT_NEAR(grid.minorWeight, expected.minorWeight, 1e-4f);
        EXPECT_EQ(grid.centre, expected.centre);
        const std::array<float, 2>& centre = expected.centre;
        const Vector3& a = expected.a;
        const Vector3& b = expected.b;
        const Vector3 origin = placed(grid, 0, 0);
        expectNear(origin, a * centre[0] + b * centre[1]);
        expectNear(placed(grid, 1, 0) - origin, a);
        expectNear(placed(grid, 0, 1) - origin, b);
        expectNear(placed(grid, 3, -centre[1]), a * (centre[0] + 3));
        expectNear(placed(grid, -centre[0], 3), b * (centre[1] + 3));
        EXPECT_EQ(grid.axisColours[0], axisColour(expected.axes[0]));
        EXPECT_EQ(grid.axisColours[1], axisColour(expected.axes[1]));
    }
}

// Each arm of the triad points where the axis runs on the screen at the middle of the view,
// for a camera turned off every axis.
TEST(GroundGridTest, TriadArmsPointAlongTheAxesAsTheViewShowsThem) {
    Camera camera("camera");
    const Vector3 pivot{0.3f, -0.2f, 0.5f};
    lookFrom(camera, pivot, Vector3{0.4f, 0.7f, -0.6f}.normalized(),
             Vector3{0.2f, 0.5f, 0.7f}.cross(Vector3{0.4f, 0.7f, -0.6f}).normalized(), 3);
    const Matrix triad = axisTriad(camera);
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        Vector3 step;
        (axis == 0 ? step.x : axis == 1 ? step.y : step.z) = 1e-3f;
        const Vector3 moved = project(pivot + step, camera.viewProjection(1)) -
                              project(pivot, camera.viewProjection(1));
        const Vector3 arm{triad(0, axis), triad(1, axis), 0};
        expectNear(Vector3{moved.x, moved.y, 0}.normalized(), arm.normalized(), 1e-3f);
        // Larger depth is further back, as for the view.
        EXPECT_EQ(triad(2, axis) > 0, moved.z > 0);
    }
}

} // namespace tessel::testing

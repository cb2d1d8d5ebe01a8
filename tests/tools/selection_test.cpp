#include "tools/selection.h"

#include "support/fake_viewport.h"
#include "tools/tool_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessel {
namespace {

using testing::FakeViewport;

constexpr float aspect = 1.25f;
constexpr float eyeZ = 2.5f;

// Device x and y of a world point for the unrotated camera at (0, 0, eyeZ) with fov 1, worked out
// by hand: the aspect correction mirrors x.
Vec2 deviceOf(const Vector3& p) {
    const float u = eyeZ - p.z;
    return {-p.x / (aspect * u), p.y / u};
}

Vec2 normalizedOf(Vec2 device) {
    return {(device.x + 1) / 2, (device.y + 1) / 2};
}

std::vector<std::int64_t> sorted(std::vector<std::int64_t> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Selection volumes shaped in a viewport looking at a 4 × 4 grid (25 points, id = 5j + i at
// (i/4 − 0.5, j/4 − 0.5, 0)).
class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() : controller(window) {
        camera->localMatrix = Matrix::translation({0, 0, eyeZ});
        view.attach(camera, &controller);
    }

    std::vector<std::int64_t> select(bool clickBox, const Layer& layer) {
        controller.selectionFunction(*volume, 0, {clickBox, camera, &view});
        return sorted(pointsInsideVolume(volumePlanes(*volume->model()->layers().front()), layer));
    }
    std::vector<std::int64_t> drag(Vec2 fromDevice, Vec2 toDevice) {
        view.normalizedMouseStartLocation = normalizedOf(fromDevice);
        view.normalizedPointerPosition = normalizedOf(toDevice);
        return select(false, *grid);
    }
    // The grid points whose projections lie in the device rectangle, computed independently.
    std::vector<std::int64_t> projectedInto(Vec2 a, Vec2 b) const {
        std::vector<std::int64_t> ids;
        for (size_t i = 0; i < grid->points.size(); ++i) {
            const Vec2 d = deviceOf(grid->points[i]->position);
            if (d.x >= std::min(a.x, b.x) && d.x <= std::max(a.x, b.x) &&
                d.y >= std::min(a.y, b.y) && d.y <= std::max(a.y, b.y)) {
                ids.push_back(static_cast<std::int64_t>(i));
            }
        }
        return ids;
    }

    SplitViewController window;
    DetailViewController controller;
    CameraPtr camera = Camera::make("camera");
    FakeViewport view{aspect};
    MeshPtr volume = Mesh::make(Model::makeCube());
    LayerPtr grid = QuadGenerator(4, 4).generateLayer();
};

TEST_F(SelectionTest, CornersLieUnderTheRectangleAtNearAndFarDepth) {
    const Vec2 start{0.1f, -0.2f};
    const Vec2 pointer{-0.3f, 0.4f};
    drag(start, pointer);
    // Upper-left (x1, y1) and lower-right (x2, y2), whatever the drag's direction.
    const float x1 = -0.3f, y1 = 0.4f, x2 = 0.1f, y2 = -0.2f;
    const float n = selectionNearDepth, f = selectionFarDepth;
    const std::array<Vector3, 8> expected{{{x2, y2, f},
                                           {x1, y2, f},
                                           {x1, y1, f},
                                           {x2, y1, f},
                                           {x2, y2, n},
                                           {x1, y2, n},
                                           {x1, y1, n},
                                           {x2, y1, n}}};
    const LayerPtr corners = volume->model()->layers().front();
    for (size_t i = 0; i < 8; ++i) {
        const Vector3 device = project(corners->points[i]->position, view);
        EXPECT_NEAR(device.x, expected[i].x, 1e-4) << "corner " << i;
        EXPECT_NEAR(device.y, expected[i].y, 1e-4) << "corner " << i;
        EXPECT_NEAR(device.z, expected[i].z, 1e-4) << "corner " << i;
    }
}

TEST_F(SelectionTest, ClickBoxSelectsThePointUnderThePointer) {
    // Point 18 is (0.25, 0.25, 0); its neighbours project 0.08 device units away.
    const Vec2 device = deviceOf({0.25f, 0.25f, 0});
    view.normalizedMouseStartLocation = normalizedOf({device.x + 0.015f, device.y - 0.015f});
    EXPECT_EQ(select(true, *grid), (std::vector<std::int64_t>{18}));

    view.normalizedMouseStartLocation = normalizedOf({device.x + 0.03f, device.y});
    EXPECT_TRUE(select(true, *grid).empty());
}

TEST_F(SelectionTest, RectangleSelectsThePointsInsideWhicheverWayItIsDragged) {
    const Vec2 lowerLeft{-0.15f, -0.05f};
    const Vec2 upperRight{0.05f, 0.15f};
    const Vec2 upperLeft{lowerLeft.x, upperRight.y};
    const Vec2 lowerRight{upperRight.x, lowerLeft.y};
    const std::vector<std::int64_t> expected = projectedInto(lowerLeft, upperRight);
    ASSERT_EQ(expected, (std::vector<std::int64_t>{12, 13, 17, 18}));

    EXPECT_EQ(drag(lowerLeft, upperRight), expected) << "toward the upper right";
    EXPECT_EQ(drag(upperRight, lowerLeft), expected) << "toward the lower left";
    EXPECT_EQ(drag(upperLeft, lowerRight), expected) << "toward the lower right";
    EXPECT_EQ(drag(lowerRight, upperLeft), expected) << "toward the upper left";
}

TEST_F(SelectionTest, VolumeHasNoDepthLimitAndNoOcclusion) {
    // Points on one line of sight: on the grid's plane, far beyond the camera's far plane, and
    // behind a surface between them and the eye.
    const Vec2 device = deviceOf({0.25f, 0.25f, 0});
    std::vector<PointPtr> points;
    for (float z : {0.0f, -5.0f, -100.0f, 1.5f}) {
        const float u = eyeZ - z;
        points.push_back(Point::make(-device.x * aspect * u, device.y * u, z));
    }
    points.push_back(Point::make(0.9f, 0.9f, 0)); // elsewhere on screen
    const LayerPtr layer = Layer::make(points, {});

    view.normalizedMouseStartLocation = normalizedOf(device);
    EXPECT_EQ(select(true, *layer), (std::vector<std::int64_t>{0, 1, 2, 3}));
}

TEST(VolumeTest, PointsOnASidePlaneAreInsideAndNotANumberIsOutside) {
    // Side planes of the box −1 ≤ x ≤ 1, −1 ≤ y ≤ 1, with the volume's signs: planes 4 and 6
    // count as inside at d ≤ 0, planes 8 and 10 at d ≥ 0. The others take no part.
    std::vector<Plane> planes(11, Plane::through({0, 0, 1}, {0, 0, 0}));
    planes[4] = Plane::through({1, 0, 0}, {1, 0, 0});
    planes[6] = Plane::through({-1, 0, 0}, {-1, 0, 0});
    planes[8] = Plane::through({0, 1, 0}, {0, -1, 0});
    planes[10] = Plane::through({0, -1, 0}, {0, 1, 0});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const LayerPtr layer =
        Layer::make({Point::make(1, 0, 7), Point::make(-1, 1, -3), Point::make(1.0001f, 0, 0),
                     Point::make(0, -1.0001f, 0), Point::make(nan, 0, 0), Point::make(0, 0, 0)},
                    {});
    EXPECT_EQ(sorted(pointsInsideVolume(planes, *layer)), (std::vector<std::int64_t>{0, 1, 5}));
}

TEST_F(SelectionTest, FaceClickRecordsThePolygonUnderThePointer) {
    const MeshPtr mesh = Mesh::make(Model::make({grid}));
    window.setSelectedNode(mesh);
    controller.selectedFacesIds = {3, 4};

    // (0.3, 0.1) lies in cell (3, 2), above its diagonal: the cell's second triangle.
    view.normalizedPointerPosition = normalizedOf(deviceOf({0.3f, 0.1f, 0}));
    const auto hit = onPolygonMouseDown(controller, {}, view);
    ASSERT_TRUE(hit);
    EXPECT_EQ(controller.selectedFacesIds, (std::vector<std::uint32_t>{23}));
    EXPECT_NEAR(hit->x, 0.3f, 1e-5);
    EXPECT_NEAR(hit->y, 0.1f, 1e-5);
    EXPECT_NEAR(hit->z, 0, 1e-6);

    view.normalizedPointerPosition = normalizedOf(deviceOf({0.7f, 0.1f, 0}));
    EXPECT_FALSE(onPolygonMouseDown(controller, {}, view));
    EXPECT_TRUE(controller.selectedFacesIds.empty());
}

} // namespace
} // namespace tessel

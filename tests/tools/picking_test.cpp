#include "tools/picking.h"

#include "editor/viewport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tessel {
namespace {

class TestViewport final : public Viewport {
public:
    explicit TestViewport(float aspect) : aspect_(aspect) {}
    float aspectRatio() const override { return aspect_; }

private:
    float aspect_;
};

// Device coordinates of a world point for an unrotated camera at (0, 0, eyeZ), worked out by
// hand: the camera looks down −z, the aspect correction mirrors x, and the projection divides
// by fov · u / zn where u is the distance in front of the eye.
Vector3 expectedDevice(const Vector3& p, float eyeZ, float aspect, const Camera& c) {
    const float u = eyeZ - p.z;
    return {-p.x / (aspect * c.fov * u), p.y / (c.fov * u),
            c.zn * (u - c.zn) / ((c.zf - c.zn) * c.fov * u)};
}

LayerPtr stack(std::initializer_list<float> zs) {
    std::vector<PointPtr> points;
    std::vector<PolygonPtr> polygons;
    for (float z : zs) {
        auto a = Point::make(-1, -1, z);
        auto b = Point::make(1, -1, z);
        auto c = Point::make(0, 1, z);
        points.insert(points.end(), {a, b, c});
        polygons.push_back(Triangle::make(a, b, c));
    }
    return Layer::make(points, polygons);
}

LayerPtr triangleAt(float z) {
    return stack({z});
}

class PickingTest : public ::testing::Test {
protected:
    PickingTest() {
        camera->localMatrix = Matrix::translation({0, 0, 2.5f});
        view.attach(camera, nullptr);
    }

    CameraPtr camera = Camera::make("camera");
    TestViewport view{1.5f};
    const Line downTheAxis{{0.1f, 0.05f, 2.5f}, {0.1f, 0.05f, 2.0f}};
};

TEST_F(PickingTest, CurrentPositionAppliesNodeThenCameraThenProjection) {
    const NodePtr node = Node::make("moved");
    node->localMatrix = Matrix::translation({0.2f, -0.1f, -0.5f});
    const Vector3 p{0.3f, 0.4f, 0.25f};

    const Vector3 inNode = currentPosition(p, view, node.get());
    const Vector3 expected = expectedDevice(p + Vector3{0.2f, -0.1f, -0.5f}, 2.5f, 1.5f, *camera);
    EXPECT_NEAR(inNode.x, expected.x, 1e-6);
    EXPECT_NEAR(inNode.y, expected.y, 1e-6);
    EXPECT_NEAR(inNode.z, expected.z, 1e-6);

    const Vector3 inWorld = currentPosition(p, view, nullptr);
    const Vector3 expectedWorld = expectedDevice(p, 2.5f, 1.5f, *camera);
    EXPECT_NEAR(inWorld.x, expectedWorld.x, 1e-6);
    EXPECT_NEAR(inWorld.z, expectedWorld.z, 1e-6);
}

TEST_F(PickingTest, NearestIntersectionTakesSmallestPositiveDepthInLayerCoordinates) {
    // Ids 0, 1, 2 at z = 0, 0.3 (nearest to the eye at 2.5), −0.5.
    const LayerPtr layer = stack({0, 0.3f, -0.5f});
    const NodePtr node = Node::make();
    const auto hit = nearestIntersection(*layer, downTheAxis, view, *node);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 1u);
    EXPECT_NEAR(hit->second.x, 0.1f, 1e-6);
    EXPECT_NEAR(hit->second.y, 0.05f, 1e-6);
    EXPECT_NEAR(hit->second.z, 0.3f, 1e-6);
}

TEST_F(PickingTest, DepthIsJudgedInTheNodeFrame) {
    // Shifted by 1.45 toward the eye, the triangle at 1 comes within the near distance
    // (negative depth) and the one at 0 is the only visible hit; unshifted, 1 is nearer.
    const LayerPtr layer = stack({0, 1});
    const NodePtr plain = Node::make();
    const NodePtr shifted = Node::make();
    shifted->localMatrix = Matrix::translation({0, 0, 1.45f});
    EXPECT_EQ(nearestIntersection(*layer, downTheAxis, view, *plain)->first, 1u);
    EXPECT_EQ(nearestIntersection(*layer, downTheAxis, view, *shifted)->first, 0u);
}

TEST_F(PickingTest, HitOnTheNearPlaneOrBetweenItAndTheEyeIsNeverPicked) {
    // Camera at the origin with zf − zn = 1 makes the depth of z = −zn exactly 0.
    camera->localMatrix = Matrix();
    camera->zf = 1.125f;
    const NodePtr node = Node::make();
    const Line axis{{0, 0, 0}, {0, 0, -1}};
    EXPECT_EQ(currentPosition({0, 0, -0.125f}, view, nullptr).z, 0.0f);

    EXPECT_FALSE(nearestIntersection(*triangleAt(-0.125f), axis, view, *node));
    EXPECT_FALSE(nearestIntersection(*triangleAt(-0.0625f), axis, view, *node));
    // With a visible hit further on, that one is chosen instead.
    const auto hit = nearestIntersection(*stack({-0.0625f, -0.125f, -0.5f}), axis, view, *node);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 2u);
}

TEST_F(PickingTest, EqualDepthsGoToTheEarlierPolygon) {
    const LayerPtr layer = stack({0.2f, 0.2f, 0.2f});
    const auto hit = nearestIntersection(*layer, downTheAxis, view, *Node::make());
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, 0u);
}

TEST_F(PickingTest, NearestMeshPicksTheNearerMeshAndTheFirstOnTies) {
    const MeshPtr far = Mesh::make(Model::make({triangleAt(-1)}), "far");
    const MeshPtr near = Mesh::make(Model::make({triangleAt(0.5f)}), "near");
    const MeshPtr twin = Mesh::make(Model::make({triangleAt(0.5f)}), "twin");

    const auto hit = nearestMesh({far, near}, {0, 0}, view);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, near);
    EXPECT_NEAR(hit->second.z, 0.5f, 1e-6);

    EXPECT_EQ(nearestMesh({far, twin, near}, {0, 0}, view)->first, twin);
    EXPECT_EQ(nearestMesh({far, near, twin}, {0, 0}, view)->first, near);
    EXPECT_FALSE(nearestMesh({}, {0, 0}, view));
    // Outside every triangle.
    EXPECT_FALSE(nearestMesh({far, near}, {0.9f, 0.9f}, view));
}

TEST_F(PickingTest, EyeIsTheCameraOwnTranslationNotItsWorldPosition) {
    // The camera's parent moves it by 0.3 in x. The line still starts at the local eye
    // (0, 0, 2.5) and runs through the near point under the screen centre (x = 0.3 at
    // z = 2.375), so it meets z = 0 at x = 6: the grid under the world camera is missed.
    const NodePtr rig = Node::make("rig", {}, {camera});
    rig->localMatrix = Matrix::translation({0.3f, 0, 0});
    camera->parent = rig;

    const MeshPtr under = Mesh::make(Model::make({triangleAt(0)}), "under");
    const LayerPtr aside = triangleAt(0);
    for (const PointPtr& p : aside->points) {
        p->position.x += 6;
    }
    const MeshPtr offside = Mesh::make(Model::make({aside}), "offside");

    const auto hit = nearestMesh({under, offside}, {0, 0}, view);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, offside);
    EXPECT_NEAR(hit->second.x, 6, 1e-4);
}

TEST_F(PickingTest, NearestIntersectionAgreesWithAPlainScanOfAllHits) {
    // A bumpy grid, and lines through random spots, through vertices and along edges, where the
    // exact inside test decides by a hair.
    const LayerPtr layer = QuadGenerator(24, 24).generateLayer();
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1, 1);
    for (const PointPtr& p : layer->points) {
        p->position.z = 0.05f * unit(random);
    }
    const NodePtr node = Node::make();
    std::vector<Line> lines;
    for (int i = 0; i < 300; ++i) {
        const Vector3 start{unit(random), unit(random), 2 + unit(random)};
        lines.push_back({start, {0.6f * unit(random), 0.6f * unit(random), 0}});
    }
    for (size_t i = 0; i < layer->points.size(); i += 7) {
        lines.push_back({{0, 0, 2.5f}, layer->points[i]->position});
        const Vector3 edgeMiddle =
            (layer->points[i]->position + layer->points[(i + 1) % layer->points.size()]->position) *
            0.5f;
        lines.push_back({{0.2f, -0.1f, 3}, edgeMiddle});
    }

    size_t hits = 0;
    for (const Line& line : lines) {
        std::optional<std::pair<size_t, Vector3>> expected;
        float nearest = 0;
        for (const auto& hit : layer->intersections(line)) {
            const float depth = currentPosition(hit.second, view, node.get()).z;
            if (depth > 0 && (!expected || depth < nearest)) {
                expected = hit;
                nearest = depth;
            }
        }
        const auto actual = nearestIntersection(*layer, line, view, *node);
        ASSERT_EQ(actual.has_value(), expected.has_value());
        if (expected) {
            ++hits;
            EXPECT_EQ(actual->first, expected->first);
            EXPECT_EQ(actual->second, expected->second);
        }
    }
    EXPECT_GT(hits, lines.size() / 2);
}

} // namespace
} // namespace tessel

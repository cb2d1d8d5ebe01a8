#include "tools/transform.h"

#include "scene/camera.h"
#include "support/mesh_helpers.h"
#include "tools/tool_support.h"

#include <gmock/gmock.h>

namespace tessel::testing {

using Kind = TransformGesture::Kind;

// Seen through the identity, device positions are world x and y (rays run along z), and a
// counter-clockwise turn on the screen is one about +z.
TEST(TransformTest, PointerKeysAndSnappingGiveTheTransformAndItsStatus) {
    struct Case {
        const char* name;
        Kind kind;
        Vec2 from, to;
        const char* keys;
        bool snapping;
        // Where the transform takes (0, 0, 1) and (2, 2, 0); the centre is (1, 1, 0).
        Vector3 origin, corner;
        const char* status;
    };
    const float half = 0.5f * std::sqrt(2.0f);
    // clang-format off
    const Case cases[] = {
        {"quarter turn typed about z: exact", Kind::Rotate, {2, 1}, {2, 1}, "z90", false,
         {2, 0, 1}, {0, 2, 0}, "Rotate z: 90°"},
        {"quarter turn of the pointer, snapped: exact", Kind::Rotate, {2, 1}, {0.98f, 2}, "",
         true, {2, 0, 1}, {0, 2, 0}, "Rotate: 90.0°"},
        {"typed 45 about z", Kind::Rotate, {2, 1}, {1, 0}, "z45", false,
         {1, 1 - 2 * half, 1}, {1, 1 + 2 * half, 0}, "Rotate z: 45°"},
        {"backspace, and a turn about -x", Kind::Rotate, {0, 0}, {0, 0}, "x-900\b", false,
         {0, 2, 1}, {2, 1, -1}, "Rotate x: -90°"},
        {"the axis key again lets go", Kind::Move, {0, 0}, {0.25f, 0.5f}, "zz", false,
         {0.25f, 0.5f, 1}, {2.25f, 2.5f, 0}, "Move: 0.25, 0.50, 0.00"},
        {"along x the pointer's y is ignored", Kind::Move, {0, 0}, {0.25f, 0.75f}, "x", false,
         {0.25f, 0, 1}, {2.25f, 2, 0}, "Move x: 0.25"},
        {"in the plane normal to z", Kind::Move, {0, 0}, {0.25f, 0.75f}, "Z", false,
         {0.25f, 0.75f, 1}, {2.25f, 2.75f, 0}, "Move xy: 0.25, 0.75, 0.00"},
        {"snapped to 0.1 per component", Kind::Move, {0, 0}, {0.26f, -0.34f}, "", true,
         {0.3f, -0.3f, 1}, {2.3f, 1.7f, 0}, "Move: 0.30, -0.30, 0.00"},
        {"typed without an axis goes along x", Kind::Move, {0, 0}, {0.5f, 0.5f}, "1.5", true,
         {1.5f, 0, 1}, {3.5f, 2, 0}, "Move x: 1.5"},
        {"a lone minus negates the pointer's", Kind::Move, {0, 0}, {0.5f, 0.25f}, "y-", false,
         {0, -0.25f, 1}, {2, 1.75f, 0}, "Move y: -0.25"},
        {"twice as far along y", Kind::Scale, {2, 1}, {3, 1}, "y", false,
         {0, -1, 1}, {2, 3, 0}, "Scale y: 2.00"},
        {"snapped to tenths", Kind::Scale, {2, 1}, {2.26f, 1}, "", true,
         {-0.3f, -0.3f, 1.3f}, {2.3f, 2.3f, 0}, "Scale: 1.30"},
        {"typed in the plane normal to z", Kind::Scale, {2, 1}, {5, 1}, "Z2", false,
         {-1, -1, 1}, {3, 3, 0}, "Scale xy: 2"},
    };
    // clang-format on
    for (const Case& c : cases) {
        TransformGesture gesture(c.kind, {1, 1, 0}, Matrix(), 1, c.from);
        for (const char* k = c.keys; *k; ++k) {
            EXPECT_TRUE(gesture.key(*k)) << c.name;
        }
        gesture.setSnapping(c.snapping);
        gesture.pointerAt(c.to);
        const Matrix m = gesture.matrix();
        const Vector3 origin = (m * Vector4(0, 0, 1, 1)).dehomogenized();
        const Vector3 corner = (m * Vector4(2, 2, 0, 1)).dehomogenized();
        // Rows named "... exact" must not be off by any rounding.
        if (std::string(c.name).ends_with("exact")) {
            EXPECT_EQ(origin, c.origin) << c.name;
            EXPECT_EQ(corner, c.corner) << c.name;
        }
        expectNear(origin, c.origin);
        expectNear(corner, c.corner);
        EXPECT_EQ(gesture.status(), c.status) << c.name;
    }
    // Typed beyond float's range: the transform is not finite, and nothing moves.
    TransformGesture huge(Kind::Scale, {1, 1, 0}, Matrix(), 1, {2, 1});
    for (const char k : std::string(40, '9')) {
        huge.key(k);
    }
    EXPECT_EQ(huge.matrix(), Matrix());
}

TEST(TransformTest, TurnsAddUpAndKeepTheirSignAboutAnAxisFacingAway) {
    TransformGesture gesture(Kind::Rotate, {0, 0, 0}, Matrix(), 1, {1, 0});
    for (const Vec2 p : {Vec2{0, 1}, Vec2{-1, 0}, Vec2{0, -1}, Vec2{1, 0}, Vec2{0, 1}}) {
        gesture.pointerAt(p);
    }
    gesture.setSnapping(true);
    EXPECT_EQ(gesture.status(), "Rotate: 450.0°");
    // In the plane normal to z, the turn is about z.
    gesture.key('Z');
    EXPECT_EQ(gesture.status(), "Rotate z: 450.0°");
    // Through a view that mirrors x, the screen's counter-clockwise is a turn about −z.
    TransformGesture mirrored(Kind::Rotate, {0, 0, 0}, Matrix::view(1), 1, {1, 0});
    mirrored.pointerAt({0, 1});
    mirrored.setSnapping(true);
    mirrored.key('z');
    EXPECT_EQ(mirrored.status(), "Rotate z: -90.0°");
}

// Through a tilted perspective camera, the centre lands under the pointer: in the screen's plane,
// and where the pointer's ray meets the plane normal to z.
TEST(TransformTest, MovesKeepTheCentreUnderThePointerInPerspective) {
    const CameraPtr camera = Camera::make();
    camera->localMatrix =
        Matrix::columns({{1, 0, 0}, {0, 0.6f, 0.8f}, {0, -0.8f, 0.6f}, {0, -2, 1.5f}});
    const Matrix viewProjection = camera->viewProjection(1.5f);
    const Vector3 centre{0.2f, 0.1f, 0.3f};
    const Vector3 at = project(centre, viewProjection);
    const Vec2 to{at.x + 0.2f, at.y - 0.1f};
    for (const char key : {' ', 'Z'}) {
        TransformGesture gesture(Kind::Move, centre, viewProjection, 1.5f, {at.x, at.y});
        gesture.key(key);
        gesture.pointerAt(to);
        const Vector3 moved = (gesture.matrix() * Vector4(centre, 1)).dehomogenized();
        const Vector3 seen = project(moved, viewProjection);
        EXPECT_NEAR(seen.x, to.x, 1e-5f) << key;
        EXPECT_NEAR(seen.y, to.y, 1e-5f) << key;
        EXPECT_EQ(moved.z == centre.z, key == 'Z') << moved;
    }
}

TEST(TransformTest, TheGestureTakesOnlyItsOwnKeys) {
    TransformGesture gesture(Kind::Move, {}, Matrix(), 1, {});
    for (const char k : std::string("xxZZ0123456789.-\b.")) {
        EXPECT_TRUE(gesture.key(k)) << k;
    }
    for (const char k : std::string("agrsGRS \r\x1b")) {
        EXPECT_FALSE(gesture.key(k)) << k;
    }
    // The same axis key twice lets go; the point came back after the backspace.
    EXPECT_EQ(gesture.typed(), "-0123456789.");
    EXPECT_EQ(gesture.constraint(), TransformGesture::Constraint::None);
}

TEST(TransformTest, TheLayerMovesTheGivenPointsAndSharesItsFaces) {
    const LayerPtr quad =
        makeLayer({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, FaceList::polygons({{0, 1, 2, 3}}));
    const std::vector<std::int64_t> points = {3, -1, 99, 3};
    const std::vector<Edge> edges = {{0, 1}, {1, 40}};
    const std::vector<std::uint32_t> faces = {7};
    const std::vector<std::uint32_t> moved = pointsToTransform(*quad, points, edges, faces);
    EXPECT_EQ(moved, (std::vector<std::uint32_t>{0, 1, 3}));

    const std::vector<std::uint32_t> repeated = {3, 1, 3, 5};
    const LayerPtr layer = transformedLayer(*quad, repeated, Matrix::translation({0, 0, 2}));
    EXPECT_EQ(layer->positions, (std::vector<Vector3>{{0, 0, 0}, {1, 0, 2}, {1, 1, 0}, {0, 1, 2}}));
    EXPECT_EQ(quad->positions[3], Vector3(0, 1, 0));
    EXPECT_EQ(layer->faces, quad->faces);
    EXPECT_EQ(layer->faces.storage(), quad->faces.storage());

    const Matrix node = Matrix::translation({5, 0, 0});
    const Matrix local = inLayerCoordinates(Matrix::translation({0, 1, 0}), node);
    EXPECT_EQ(local, Matrix::translation({0, 1, 0}));
}

} // namespace tessel::testing

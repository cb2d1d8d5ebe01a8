#include "mesh/normals.h"

#include "mesh/model.h"
#include "support/mesh_helpers.h"

#include <cmath>
#include <limits>

namespace tessel::testing {
namespace {

// The box from (−1, −1, −1) to (1, 1, 1) as six quads facing outward.
Layer quadBox() {
    return *makeLayer(
        {{-1, -1, -1},
         {1, -1, -1},
         {1, 1, -1},
         {-1, 1, -1},
         {-1, -1, 1},
         {1, -1, 1},
         {1, 1, 1},
         {-1, 1, 1}},
        FaceList::polygons(
            {{3, 2, 1, 0}, {4, 5, 6, 7}, {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}}));
}

void expectFinite(const std::vector<Vector3>& vectors) {
    for (const Vector3& v : vectors) {
        EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << v;
    }
}

// Each corner of the box sees three faces of equal area, so its normal is its own diagonal;
// turned inside out, every face and so every point faces the other way. The triangulated cube
// weighs its faces unevenly at some corners but still faces outward everywhere.
TEST(PointNormals, BoxCornersFaceAlongTheirDiagonalsAndFlipWhenInsideOut) {
    Layer box = quadBox();
    const std::vector<Vector3> normals = pointNormals(box);
    ASSERT_EQ(normals.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        expectNear(normals[i], box.positions[i] * (1 / std::sqrt(3.0f)));
    }
    for (size_t f = 0; f < box.faces.size(); ++f) {
        const std::vector<std::uint32_t> reversed(box.faces[f].rbegin(), box.faces[f].rend());
        box.faces.replace(f, reversed);
    }
    const std::vector<Vector3> flipped = pointNormals(box);
    for (size_t i = 0; i < 8; ++i) {
        expectNear(flipped[i], -normals[i]);
    }

    const Layer cube = *Model::makeCube()->committed();
    const std::vector<Vector3> cubeNormals = pointNormals(cube);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_NEAR(cubeNormals[i].length(), 1, 1e-6f);
        EXPECT_GT(cubeNormals[i].dot(cube.positions[i]), 1) << i;
    }
}

// Points no face uses, points only of faces without area, faces that cancel out, corners naming
// no point and points without a finite position never give anything but a unit vector; a face
// with a stale corner still counts with its other corners, in the triangle and polygon paths.
TEST(PointNormals, FacesWithoutAreaOrValidCornersGiveFiniteNormals) {
    EXPECT_TRUE(pointNormals(Layer{}).empty());
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<Vector3> positions = {{0, 0, 0}, {1, 0, 0},   {0, 1, 0}, {2, 0, 0},
                                            {5, 5, 5}, {nan, 0, 0}, {7, 7, 8}, {9, 9, 9}};
    // 0 1 2 face up; 3 lies on a line with 0 and 1; 3 4 6 have a face and its reverse; 5 has no
    // position; 7 is unused.
    const Layer triangles = *makeLayer(
        positions,
        std::vector<Triangle>{{0, 1, 2}, {0, 1, 3}, {1, 5, 2}, {2, 99, 6}, {3, 6, 4}, {4, 6, 3}});
    const std::vector<Vector3> normals = pointNormals(triangles);
    expectFinite(normals);
    expectNear(normals[0], {0, 0, 1});
    expectNear(normals[1], {0, 0, 1});
    for (const size_t fallback : {3, 4, 5, 6, 7}) {
        EXPECT_EQ(normals[fallback], kFallbackNormal) << fallback;
    }

    const Layer polygons =
        *makeLayer(positions, FaceList::polygons({{2, 1, 99, 0}, {0, 1, 3}, {1, 5, 2, 6}}));
    const std::vector<Vector3> polygonNormals = pointNormals(polygons);
    expectFinite(polygonNormals);
    expectNear(polygonNormals[0], {0, 0, -1});
    EXPECT_EQ(polygonNormals[3], kFallbackNormal);
}

// A line from each face's centroid along its normal; faces without area or with a corner naming
// no point have none. The length follows the mesh's scale and never collapses.
TEST(FaceNormalLines, StartAtCentroidsAndSkipFacesWithoutArea) {
    const std::vector<Vector3> lines = faceNormalLines(quadBox(), 0.5f);
    ASSERT_EQ(lines.size(), 12u);
    expectNear(lines[0], {0, 0, -1});
    expectNear(lines[1], {0, 0, -1.5f});
    expectNear(lines[11], {-1.5f, 0, 0});

    const Layer broken = *makeLayer({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}},
                                    FaceList::polygons({{0, 1, 3}, {0, 1, 99}, {0, 1, 2}}));
    const std::vector<Vector3> some = faceNormalLines(broken, 1);
    ASSERT_EQ(some.size(), 2u);
    expectNear(some[1], some[0] + Vector3{0, 0, 1});
    EXPECT_TRUE(faceNormalLines(Layer{}, 1).empty());

    // A twentieth of the box's diagonal; the mean edge (4) when the points spread far.
    EXPECT_NEAR(normalLineLength(quadBox()), std::sqrt(12.0f) / 20, 1e-6f);
    EXPECT_NEAR(normalLineLength(*makeLayer({{0, 0, 0}, {3, 0, 0}, {0, 4, 0}, {100, 0, 0}},
                                            std::vector<Triangle>{{0, 1, 2}})),
                4, 1e-5f);
    EXPECT_EQ(normalLineLength(Layer{}), 0.1f);
}

} // namespace
} // namespace tessel::testing

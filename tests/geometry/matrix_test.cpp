#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <numbers>

namespace tessel {

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.data[i], expected.data[i], tolerance) << "entry " << i;
    }
}

TEST(MatrixTest, InverseUndoesTheMatrix) {
    // A viewport's view-projection, which every press and drag inverts.
    const Matrix camera = Matrix::translation({0.3f, 0, 2.5f}) * Matrix::rotationForZ(0.7f);
    const Matrix p = Matrix::projection(0.125f, 1, 1) * Matrix::view(1.5f) * camera.inverted();
    expectNear(p * p.inverted(), Matrix(), 1e-4f);
    // And one with no zero entry.
    const Matrix full({2, 1, 1, 3, 1, 3, 2, 1, 1, 2, 4, 1, 3, 1, 1, 5});
    expectNear(full * full.inverted(), Matrix(), 1e-5f);
}

TEST(MatrixTest, ProjectionPutsTheNearPlaneAtDepthZeroAndTheFarPlaneAtOne) {
    EXPECT_EQ(Matrix::projection(1, 3, 1) * Vector4(0, 0, 1, 1), Vector4(0, 0, 0, 1));
    EXPECT_EQ(Matrix::projection(1, 3, 1) * Vector4(0, 0, 3, 1), Vector4(0, 0, 1, 3));
    // x and y shrink with fov times the distance.
    EXPECT_EQ((Matrix::projection(1, 3, 2) * Vector4(1, 1, 2, 1)).dehomogenized(),
              Vector3(0.25f, 0.25f, 0.125f));
}

TEST(MatrixTest, RotationIsCounterClockwiseAndTheRightOperandActsFirst) {
    const Matrix r = Matrix::rotationForZ(std::numbers::pi_v<float> / 2);
    const Matrix t = Matrix::translation({1, 0, 0});
    expectNear(t * r, Matrix::columns({{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 0, 0}}), 1e-7f);
    expectNear(r * t, Matrix::columns({{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 1, 0}}), 1e-7f);
}

} // namespace tessel

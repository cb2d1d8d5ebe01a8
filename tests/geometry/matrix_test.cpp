#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

namespace tessel {
namespace {

// Row r, column c of a 4×4 array written row by row.
Matrix rows(const std::array<std::array<float, 4>, 4>& r) {
    Matrix m;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            m.data[4 * i + j] = r[i][j];
        }
    }
    return m;
}

void expectNear(const Matrix& actual, const Matrix& expected, float tolerance) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.data[i], expected.data[i], tolerance) << "entry " << i;
    }
}

void expectNear(const Vector4& actual, const Vector4& expected, float tolerance = 1e-6f) {
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
    }
}

TEST(MatrixTest, ProjectionMapsNearToZeroAndFarToOne) {
    const Matrix m = Matrix::projection(1, 3, 1);
    EXPECT_EQ(m * Vector4(0, 0, 1, 1), Vector4(0, 0, 0, 1));
    EXPECT_EQ(m * Vector4(0, 0, 3, 1), Vector4(0, 0, 1, 3));
    // Image coordinates x / (fov·z): a larger fov gives a smaller image.
    const Vector3 image = (Matrix::projection(1, 3, 2) * Vector4(1, 1, 2, 1)).dehomogenized();
    EXPECT_FLOAT_EQ(image.x, 0.25f);
    EXPECT_FLOAT_EQ(image.y, 0.25f);
    // Behind the eye w ≤ 0.
    EXPECT_LE((m * Vector4(0, 0, -1, 1)).w(), 0);
}

TEST(MatrixTest, ViewAndTranslationEntriesRowByRow) {
    const std::array<float, 16> view{-0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    EXPECT_EQ(Matrix::view(2).data, view);
    const Matrix m = Matrix::translation({5, 6, 7});
    const std::array<float, 16> translation{1, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 1};
    EXPECT_EQ(m.data, translation);
    EXPECT_EQ(m(1, 3), 6);
    EXPECT_EQ(m * Vector4(1, 2, 3, 0), Vector4(1, 2, 3, 0));
    EXPECT_EQ(m.translationPart(), Vector3(5, 6, 7));
}

TEST(MatrixTest, RotationForZIsCounterClockwise) {
    const Matrix quarter = Matrix::rotationForZ(std::numbers::pi_v<float> / 2);
    expectNear(quarter * Vector4(1, 0, 0, 1), Vector4(0, 1, 0, 1));
    expectNear(quarter * Vector4(0, 1, 0, 1), Vector4(-1, 0, 0, 1));
}

TEST(MatrixTest, ColumnsPutVectorsInColumns) {
    const Matrix m = Matrix::columns({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}, {99, 99, 99}});
    const std::array<float, 16> expected{1, 4, 7, 10, 2, 5, 8, 11, 3, 6, 9, 12, 0, 0, 0, 1};
    EXPECT_EQ(m.data, expected);
    EXPECT_EQ(Matrix::columns({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {5, 6, 7}}),
              Matrix::translation({5, 6, 7}));
}

TEST(MatrixDeathTest, ColumnsNeedsFourVectors) {
    EXPECT_DEATH(Matrix::columns({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), "Matrix\\(columns:\\)");
}

TEST(MatrixTest, ProductEntries) {
    const Matrix a = rows({{{2, 0, 1, 3}, {1, 1, 0, -1}, {0, 3, 1, 2}, {0, 0, 0, 1}}});
    const Matrix b = rows({{{1, 2, 0, 0}, {0, 1, 4, 1}, {3, 0, 1, 0}, {2, 1, 0, 1}}});
    // Computed by hand: (A·B)(r, c) = Σk A(r, k)·B(k, c).
    const Matrix expected = rows({{{11, 7, 1, 3}, {-1, 2, 4, 0}, {7, 5, 13, 5}, {2, 1, 0, 1}}});
    EXPECT_EQ(a * b, expected);
    EXPECT_NE(b * a, expected);
}

TEST(MatrixTest, RightOperandActsFirst) {
    const Matrix t = Matrix::translation({1, 0, 0});
    const Matrix r = Matrix::rotationForZ(std::numbers::pi_v<float> / 2);
    // Rotate (1, 0, 0) to (0, 1, 0), then translate to (1, 1, 0).
    expectNear((t * r) * Vector4(1, 0, 0, 1), Vector4(1, 1, 0, 1));
    // Translate to (2, 0, 0), then rotate to (0, 2, 0).
    expectNear((r * t) * Vector4(1, 0, 0, 1), Vector4(0, 2, 0, 1));
    const Matrix a = rows({{{2, 0, 1, 3}, {1, 1, 0, -1}, {0, 3, 1, 2}, {0, 0, 0, 1}}});
    const Vector4 v(1, -2, 3, 1);
    expectNear((a * t) * v, a * (t * v));
}

TEST(MatrixTest, MatrixVectorProduct) {
    const Matrix a = rows({{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}});
    EXPECT_EQ(a * Vector4(1, 0, -1, 2), Vector4(6, 14, 22, 30));
}

TEST(MatrixTest, InverseOfNonSymmetricMatrix) {
    const Matrix m = rows({{{1, 2, 0, 1}, {0, 1, 3, 0}, {2, 0, 1, 1}, {1, 1, 0, 1}}});
    // Exact inverse computed independently with rational Gauss–Jordan elimination.
    const Matrix expected = rows({{{4.0f / 3, -1.0f / 3, 1, -7.0f / 3},
                                   {1, 0, 0, -1},
                                   {-1.0f / 3, 1.0f / 3, 0, 1.0f / 3},
                                   {-7.0f / 3, 1.0f / 3, -1, 13.0f / 3}}});
    expectNear(m.inverted(), expected, 1e-5f);
    expectNear(m * m.inverted(), Matrix(), 1e-5f);
    expectNear(m.inverted() * m, Matrix(), 1e-5f);
}

TEST(MatrixTest, InverseWithNonZeroBottomRow) {
    const Matrix b = rows({{{1, 2, 0, 0}, {0, 1, 4, 1}, {3, 0, 1, 0}, {2, 1, 0, 1}}});
    const Matrix expected = rows({{{0, -1.0f / 14, 2.0f / 7, 1.0f / 14},
                                   {0.5f, 1.0f / 28, -1.0f / 7, -1.0f / 28},
                                   {0, 3.0f / 14, 1.0f / 7, -3.0f / 14},
                                   {-0.5f, 3.0f / 28, -3.0f / 7, 25.0f / 28}}});
    expectNear(b.inverted(), expected, 1e-6f);
}

TEST(MatrixTest, InverseOfTransformsAndProjection) {
    expectNear(Matrix::translation({1, -2, 3}).inverted(), Matrix::translation({-1, 2, -3}), 0);
    const Matrix p = Matrix::projection(0.125f, 1, 1) * Matrix::view(1.5f) *
                     (Matrix::translation({0, 0, -3}) * Matrix::rotationForZ(0.7f));
    expectNear(p * p.inverted(), Matrix(), 1e-4f);
}

TEST(MatrixTest, SingularInverseIsNonFiniteWithoutError) {
    const Matrix m = rows({{{1, 2, 3, 4}, {0, 0, 0, 0}, {5, 6, 7, 8}, {1, 0, 0, 1}}});
    const Matrix inv = m.inverted();
    bool anyNonFinite = false;
    for (float e : inv.data) {
        anyNonFinite = anyNonFinite || !std::isfinite(e);
    }
    EXPECT_TRUE(anyNonFinite);
}

} // namespace
} // namespace tessel

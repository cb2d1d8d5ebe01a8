#include "geometry/matrix.h"

#include "base/check.h"

#include <cmath>

namespace tessel {

Matrix Matrix::projection(float zn, float zf, float fov) {
    return Matrix({1 / zn, 0, 0, 0,                      //
                   0, 1 / zn, 0, 0,                      //
                   0, 0, 1 / (zf - zn), -zn / (zf - zn), //
                   0, 0, fov / zn, 0});
}

Matrix Matrix::view(float aspect) {
    return Matrix({-1 / aspect, 0, 0, 0, //
                   0, 1, 0, 0,           //
                   0, 0, -1, 0,          //
                   0, 0, 0, 1});
}

Matrix Matrix::translation(const Vector3& t) {
    return Matrix({1, 0, 0, t.x, //
                   0, 1, 0, t.y, //
                   0, 0, 1, t.z, //
                   0, 0, 0, 1});
}

Matrix Matrix::rotationForZ(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return Matrix({c, -s, 0, 0, //
                   s, c, 0, 0,  //
                   0, 0, 1, 0,  //
                   0, 0, 0, 1});
}

Matrix Matrix::columns(const std::vector<Vector3>& c) {
    TESSEL_CHECK(c.size() >= 4, "Matrix::columns", "needs 4 vectors, got " << c.size());
    return Matrix({c[0].x, c[1].x, c[2].x, c[3].x, //
                   c[0].y, c[1].y, c[2].y, c[3].y, //
                   c[0].z, c[1].z, c[2].z, c[3].z, //
                   0, 0, 0, 1});
}

Matrix Matrix::operator*(const Matrix& rhs) const {
    Matrix result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = data[4 * r] * rhs.data[c];
            for (int k = 1; k < 4; ++k) {
                sum += data[4 * r + k] * rhs.data[4 * k + c];
            }
            result.data[4 * r + c] = sum;
        }
    }
    return result;
}

Vector4 Matrix::operator*(const Vector4& v) const {
    Vector4 result;
    for (int r = 0; r < 4; ++r) {
        result[r] = ((data[4 * r] * v[0] + data[4 * r + 1] * v[1]) + data[4 * r + 2] * v[2]) +
                    data[4 * r + 3] * v[3];
    }
    return result;
}

Matrix Matrix::inverted() const {
    const auto& m = data;
    std::array<float, 16> inv;
    inv[0] = m[5] * m[10] * m[15] + m[9] * m[14] * m[7] + m[13] * m[6] * m[11] -
             m[5] * m[14] * m[11] - m[9] * m[6] * m[15] - m[13] * m[10] * m[7];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] -
             m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] +
             m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] -
              m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] -
             m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] +
             m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] -
             m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] +
              m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] -
             m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] +
              m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] -
              m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] -
             m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

    // Expanding along the first row over the cofactors gives all 24 terms of the determinant.
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    Matrix result(inv);
    for (float& e : result.data) {
        e /= det;
    }
    return result;
}

std::ostream& operator<<(std::ostream& out, const Matrix& m) {
    out << "[";
    for (int r = 0; r < 4; ++r) {
        out << (r ? "; " : "") << m(r, 0) << ", " << m(r, 1) << ", " << m(r, 2) << ", " << m(r, 3);
    }
    return out << "]";
}

} // namespace tessel

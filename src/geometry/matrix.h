#pragma once

#include "geometry/vector.h"

#include <array>
#include <ostream>
#include <vector>

namespace tessel {

// A 4×4 matrix of floats stored row by row (entry (r, c) is data[4r + c]) that transforms
// column vectors: a translation lives in entries 3, 7 and 11. The GPU receives data in this order.
struct Matrix {
    std::array<float, 16> data;

    // The identity.
    constexpr Matrix() : data{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
    constexpr explicit Matrix(const std::array<float, 16>& d) : data(d) {}

    // Camera projection: x/zn, y/zn, (z − zn)/(zf − zn), w = fov·z/zn.
    static Matrix projection(float zn, float zf, float fov);
    // Aspect correction of a viewport: scales x by −1/aspect and negates z.
    static Matrix view(float aspect);
    static Matrix translation(const Vector3& t);
    // Counter-clockwise rotation about z by `angle` radians.
    static Matrix rotationForZ(float angle);
    // The first three vectors are the images of the axes, the fourth the translation; entries
    // beyond the fourth are ignored. Fewer than four is a programming error.
    static Matrix columns(const std::vector<Vector3>& c);

    constexpr float operator()(int r, int c) const { return data[4 * r + c]; }
    constexpr float& operator()(int r, int c) { return data[4 * r + c]; }

    // The right operand acts first: (A * B) * v == A * (B * v).
    Matrix operator*(const Matrix& rhs) const;
    Vector4 operator*(const Vector4& v) const;

    // Closed-form adjugate over the full determinant. No determinant test: a singular matrix
    // gives infinite or not-a-number entries.
    Matrix inverted() const;

    // The translation column (entries 3, 7 and 11).
    constexpr Vector3 translationPart() const { return {data[3], data[7], data[11]}; }

    constexpr bool operator==(const Matrix& o) const { return data == o.data; }
};

std::ostream& operator<<(std::ostream& out, const Matrix& m);

} // namespace tessel

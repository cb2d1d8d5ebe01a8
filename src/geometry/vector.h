#pragma once

#include <cmath>
#include <ostream>

namespace tessel {

// Three floats, packed: lists of Vector3 have a stride of 12 bytes and go to the GPU as they are.
struct Vector3 {
    float x = 0;
    float y = 0;
    float z = 0;

    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    // (x·o.x + y·o.y) + z·o.z, in that order.
    constexpr float dot(const Vector3& o) const { return (x * o.x + y * o.y) + z * o.z; }
    constexpr float squaredLength() const { return dot(*this); }
    float length() const { return std::sqrt(squaredLength()); }
    // Divides by the length without a guard: the zero vector gives not-a-number components.
    Vector3 normalized() const {
        const float l = length();
        return {x / l, y / l, z / l};
    }
    constexpr Vector3 cross(const Vector3& b) const {
        return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
    }

    constexpr Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vector3 operator-() const { return {-x, -y, -z}; }
    constexpr Vector3 operator*(float s) const { return {s * x, s * y, s * z}; }
    constexpr Vector3& operator+=(const Vector3& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    constexpr Vector3& operator-=(const Vector3& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }

    // Exact comparison, component by component.
    constexpr bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    // The ordering compares squared lengths, not coordinates: it is not consistent with ==.
    constexpr bool operator<(const Vector3& o) const { return squaredLength() < o.squaredLength(); }
    constexpr bool operator<=(const Vector3& o) const { return !(o < *this); }
    constexpr bool operator>(const Vector3& o) const { return o < *this; }
    constexpr bool operator>=(const Vector3& o) const { return !(*this < o); }
};

constexpr Vector3 operator*(float s, const Vector3& v) { return v * s; }

// Whether every component is a number and finite.
inline bool isFinite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The unit vector along v, or zero when v has no direction (zero, or not finite).
inline Vector3 unitOrZero(const Vector3& v) {
    const Vector3 u = v.normalized();
    return isFinite(u) ? u : Vector3{};
}

static_assert(sizeof(Vector3) == 12, "Vector3 must stay packed");

// Homogeneous coordinates: elements are x, y, z, w in that order.
struct Vector4 {
    float elements[4] = {0, 0, 0, 0};

    constexpr Vector4() = default;
    constexpr Vector4(float x, float y, float z, float w) : elements{x, y, z, w} {}
    constexpr Vector4(const Vector3& v, float w) : elements{v.x, v.y, v.z, w} {}

    constexpr float x() const { return elements[0]; }
    constexpr float y() const { return elements[1]; }
    constexpr float z() const { return elements[2]; }
    constexpr float w() const { return elements[3]; }
    constexpr float operator[](int i) const { return elements[i]; }
    constexpr float& operator[](int i) { return elements[i]; }
    // x, y and z divided by w.
    constexpr Vector3 dehomogenized() const {
        return {elements[0] / elements[3], elements[1] / elements[3], elements[2] / elements[3]};
    }
    constexpr bool operator==(const Vector4& o) const {
        return elements[0] == o.elements[0] && elements[1] == o.elements[1] &&
               elements[2] == o.elements[2] && elements[3] == o.elements[3];
    }
};

inline std::ostream& operator<<(std::ostream& out, const Vector3& v) {
    return out << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}
inline std::ostream& operator<<(std::ostream& out, const Vector4& v) {
    return out << "(" << v[0] << ", " << v[1] << ", " << v[2] << ", " << v[3] << ")";
}

} // namespace tessel

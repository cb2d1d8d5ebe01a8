#include "mesh/triangle.h"

namespace tessel::triangle {

Vector3 normal(const Vector3& a, const Vector3& b, const Vector3& c) {
    return (b - a).cross(c - a).normalized();
}

Vector3 centroid(const Vector3& a, const Vector3& b, const Vector3& c) {
    const float x = (a.x + b.x) + c.x;
    const float y = (a.y + b.y) + c.y;
    const float z = (a.z + b.z) + c.z;
    return {x / 3.0f, y / 3.0f, z / 3.0f};
}

bool contains(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& q) {
    // The fan (A, B, q), (B, C, q), (C, A, q) keeps one orientation exactly when q is strictly
    // inside; q on an edge makes a piece degenerate and its not-a-number normal fails the test.
    const Vector3 n0 = normal(a, b, q);
    const Vector3 n1 = normal(b, c, q);
    if (!(n0.dot(n1) > 0)) {
        return false;
    }
    const Vector3 n2 = normal(c, a, q);
    return n0.dot(n2) > 0;
}

std::optional<Vector3> intersection(const Vector3& a, const Vector3& b, const Vector3& c,
                                    const Vector3& p0, const Vector3& dir) {
    const Vector3 n = normal(a, b, c).normalized();
    const Vector3 center = centroid(a, b, c);
    const float denom = dir.dot(n);
    if (denom == 0) {
        return std::nullopt;
    }
    const float s = -(n.dot(p0 - center)) / denom;
    if (s < 0) {
        return std::nullopt;
    }
    const Vector3 x = p0 + dir * s;
    if (!contains(a, b, c, x)) {
        return std::nullopt;
    }
    return x;
}

std::optional<Vector3> closedIntersection(const Vector3& a, const Vector3& b, const Vector3& c,
                                          const Vector3& origin, const Vector3& direction) {
    // Barycentric coordinates of the hit (u along B − A, v along C − A) and its distance s.
    const Vector3 e1 = b - a;
    const Vector3 e2 = c - a;
    const Vector3 h = direction.cross(e2);
    const float det = e1.dot(h);
    if (!(det != 0)) {
        return std::nullopt;
    }
    const Vector3 w = origin - a;
    const Vector3 q = w.cross(e1);
    const float u = w.dot(h) / det;
    const float v = direction.dot(q) / det;
    const float s = e2.dot(q) / det;
    constexpr float kSlack = 1e-5f;
    if (!(u >= -kSlack && v >= -kSlack && u + v <= 1 + kSlack && s >= 0)) {
        return std::nullopt;
    }
    return origin + direction * s;
}

Plane plane(const Vector3& a, const Vector3& b, const Vector3& c) {
    const Vector3 n = normal(a, b, c).normalized();
    const Vector3 o = centroid(a, b, c);
    return Plane{Vector4(n.x, n.y, n.z, (n.x * o.x + n.y * o.y) + n.z * o.z), o};
}

} // namespace tessel::triangle

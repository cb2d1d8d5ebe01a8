#include "legacy/polygon.h"

#include "base/check.h"

namespace tessel::legacy {

namespace triangle_math {

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
                                    const Vector3& p0, const Vector3& p1) {
    const Vector3 dir = p1 - p0;
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

} // namespace triangle_math

void Polygon::setVerts(std::span<const PointPtr> verts) {
    TESSEL_CHECK(verts.size() == vertsCount(), "Polygon.verts",
                 "expected " << vertsCount() << " vertices, got " << verts.size());
    std::copy(verts.begin(), verts.end(), vertsData());
}

Vector3 Polygon::centroid() const { return legacy::centroid(verts()); }

std::vector<Edge> Polygon::edges() const {
    const auto v = verts();
    std::vector<Edge> result;
    result.reserve(v.size());
    for (size_t i = 0; i < v.size(); ++i) {
        result.push_back({v[i], v[(i + 1) % v.size()]});
    }
    return result;
}

bool Polygon::contains(const PointPtr& point) const {
    for (const auto& v : verts()) {
        if (v == point) {
            return true;
        }
    }
    return false;
}

std::optional<int> Polygon::edgeId(const Edge& e) const {
    const auto v = verts();
    for (size_t i = 0; i < v.size(); ++i) {
        const auto& v0 = v[i];
        const auto& v1 = v[(i + 1) % v.size()];
        if ((v0 == e.vertex0 && v1 == e.vertex1) || (v0 == e.vertex1 && v1 == e.vertex0)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

void Polygon::replace(const PointPtr& old, const PointPtr& with) {
    for (auto& v : verts()) {
        if (v == old) {
            v = with;
            return;
        }
    }
    TESSEL_CHECK(false, "Polygon.replace(vertex:with:)", "point " << old.get() << " is not a vertex");
}

Vector3 Triangle::normal() const {
    return triangle_math::normal(v_[0]->position, v_[1]->position, v_[2]->position);
}

bool Triangle::contains(const Vector3& q) const {
    return triangle_math::contains(v_[0]->position, v_[1]->position, v_[2]->position, q);
}

std::optional<Vector3> Triangle::intersection(const Vector3& p0, const Vector3& p1) const {
    return triangle_math::intersection(v_[0]->position, v_[1]->position, v_[2]->position, p0, p1);
}

std::vector<TrianglePtr> Triangle::subdivided(const PointPtr& p) const {
    return {make(v_[0], v_[1], p), make(v_[1], v_[2], p), make(v_[2], v_[0], p)};
}

bool Triangle::isDegenerated() const {
    return v_[0] == v_[1] || v_[0] == v_[2] || v_[1] == v_[2];
}

Plane Triangle::plane() const {
    const Vector3 n = normal().normalized();
    const Vector3 c = centroid();
    return Plane{Vector4(n.x, n.y, n.z, (n.x * c.x + n.y * c.y) + n.z * c.z), c};
}

} // namespace tessel::legacy

#pragma once

#include "geometry/plane.h"
#include "legacy/point.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tessel::legacy {

class Polygon;
class Triangle;
using PolygonPtr = std::shared_ptr<Polygon>;
using TrianglePtr = std::shared_ptr<Triangle>;

// An edge made on demand; compared by the identity of its two points.
struct Edge {
    PointPtr vertex0;
    PointPtr vertex1;

    bool contains(const PointPtr& vertex) const { return vertex0 == vertex || vertex1 == vertex; }
};

// A face: an ordered ring of vertex references. Seen from the front the vertices run
// counter-clockwise; (B − A) × (C − A) of the first three points to the front.
class Polygon {
public:
    enum class Kind : std::uint8_t { Triangle, Quad };

    virtual ~Polygon() = default;

    Kind kind() const { return kind_; }
    bool isTriangle() const { return kind_ == Kind::Triangle; }

    std::span<const PointPtr> verts() const { return {vertsData(), vertsCount()}; }
    std::span<PointPtr> verts() { return {vertsData(), vertsCount()}; }
    // Replaces the ring; the count must match the polygon's kind (programming error otherwise).
    void setVerts(std::span<const PointPtr> verts);

    // Mean of the vertex positions.
    Vector3 centroid() const;
    // (v[i], v[(i + 1) mod n]) for i = 0 … n − 1.
    std::vector<Edge> edges() const;
    // True when some vertex is that very point object.
    bool contains(const PointPtr& point) const;
    // Index of the first edge joining the same two points, in either direction.
    std::optional<int> edgeId(const Edge& edge) const;
    // The first position holding `old` now holds `with`. `old` must be a vertex.
    void replace(const PointPtr& old, const PointPtr& with);

    // Fan around P: (A, B, P), (B, C, P), … in ring order.
    virtual std::vector<TrianglePtr> subdivided(const PointPtr& newVertex) const = 0;
    // Triangles only: true when two vertex references are the same object. A quad stops.
    virtual bool isDegenerated() const = 0;
    // Triangles only: the plane through the triangle. A quad stops.
    virtual Plane plane() const = 0;
    // A new face referring to the same point objects.
    virtual PolygonPtr copyPolygon() const = 0;

protected:
    explicit Polygon(Kind kind) : kind_(kind) {}
    virtual PointPtr* vertsData() = 0;
    virtual const PointPtr* vertsData() const = 0;
    size_t vertsCount() const { return kind_ == Kind::Triangle ? 3 : 4; }

private:
    Kind kind_;
};

class Triangle final : public Polygon {
public:
    Triangle(PointPtr a, PointPtr b, PointPtr c)
        : Polygon(Kind::Triangle), v_{std::move(a), std::move(b), std::move(c)} {}

    static TrianglePtr make(PointPtr a, PointPtr b, PointPtr c) {
        return std::make_shared<Triangle>(std::move(a), std::move(b), std::move(c));
    }

    const PointPtr& a() const { return v_[0]; }
    const PointPtr& b() const { return v_[1]; }
    const PointPtr& c() const { return v_[2]; }

    // Normalised (B − A) × (C − A), no guard: degenerate triangles give not-a-number.
    Vector3 normal() const;
    // Strictly inside (edges and vertices excluded), for a position in the triangle's plane.
    bool contains(const Vector3& q) const;
    using Polygon::contains;
    // Hit of the ray from p0 through p1 (and beyond): plane hit at s ≥ 0, strictly inside.
    std::optional<Vector3> intersection(const Vector3& p0, const Vector3& p1) const;

    std::vector<TrianglePtr> subdivided(const PointPtr& newVertex) const override;
    bool isDegenerated() const override;
    Plane plane() const override;
    PolygonPtr copyPolygon() const override { return copy(); }
    TrianglePtr copy() const { return make(v_[0], v_[1], v_[2]); }

protected:
    PointPtr* vertsData() override { return v_.data(); }
    const PointPtr* vertsData() const override { return v_.data(); }

private:
    std::array<PointPtr, 3> v_;
};

// Geometry helpers shared by the face queries and the layer's bulk loops. They compute exactly
// what the corresponding Triangle members compute, from positions, without allocating.
namespace triangle_math {
Vector3 normal(const Vector3& a, const Vector3& b, const Vector3& c);
Vector3 centroid(const Vector3& a, const Vector3& b, const Vector3& c);
bool contains(const Vector3& a, const Vector3& b, const Vector3& c, const Vector3& q);
std::optional<Vector3> intersection(const Vector3& a, const Vector3& b, const Vector3& c,
                                    const Vector3& p0, const Vector3& p1);
} // namespace triangle_math

} // namespace tessel::legacy

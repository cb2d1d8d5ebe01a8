// Layer edits that add geometry and the ray queries.
#include "legacy/layer.h"

#include "base/check.h"

namespace tessel::legacy {

namespace {

[[noreturn, gnu::noinline, gnu::cold]] void failTriangleAt(const std::vector<PolygonPtr>& polygons,
                                                            size_t id, const char* operation) {
    TESSEL_CHECK(id < polygons.size(), operation,
                 "polygon id " << id << " out of range for " << polygons.size());
    TESSEL_CHECK(false, operation, "polygon id " << id << " is not a triangle");
    __builtin_unreachable();
}

// polygons[id] as a triangle; an invalid id or another kind of face stops the program.
inline const Triangle& triangleAt(const std::vector<PolygonPtr>& polygons, size_t id,
                                  const char* operation) {
    if (id >= polygons.size() || !polygons[id]->isTriangle()) [[unlikely]] {
        failTriangleAt(polygons, id, operation);
    }
    return static_cast<const Triangle&>(*polygons[id]);
}

} // namespace

void Layer::subdividePolygon(size_t id) {
    TESSEL_CHECK(id < polygons.size(), "Layer.subdividePolygon(id:)",
                 "polygon id " << id << " out of range for " << polygons.size());
    // 1.–2.
    PolygonPtr polygon = std::move(polygons[id]);
    PointPtr center = newPoint(polygon->centroid());
    // 3.–5. For a triangle the pieces are built directly (the same faces as subdivided()).
    if (polygon->isTriangle()) {
        const auto ring = polygon->verts();
        if (polygon.use_count() == 1) {
            // No one else holds the old face, so no one can tell it from a new one: it becomes
            // the first piece (A, B, C) itself, which spares an allocation and the reference
            // count traffic of a new face and of the old one's release.
            PointPtr e = std::move(ring[2]);
            ring[2] = center;
            auto second = newTriangle(ring[1], e, center);
            auto third = newTriangle(std::move(e), ring[0], center);
            polygons[id] = std::move(polygon);
            polygons.push_back(std::move(second));
            polygons.push_back(std::move(third));
        } else {
            polygons[id] = newTriangle(ring[0], ring[1], center);
            polygons.push_back(newTriangle(ring[1], ring[2], center));
            polygons.push_back(newTriangle(ring[2], ring[0], center));
        }
        points.push_back(std::move(center));
        return;
    }
    points.push_back(center);
    const auto pieces = polygon->subdivided(center);
    polygons[id] = pieces[0];
    for (size_t k = 1; k < pieces.size(); ++k) {
        polygons.push_back(pieces[k]);
    }
}

void Layer::extrudeTriangle(size_t polygonId, float distance) {
    // 1.
    const auto& t = triangleAt(polygons, polygonId, "Layer.extrudeTriangle(polygonId:distance:)");
    const PointPtr a = t.a();
    const PointPtr b = t.b();
    const PointPtr e = t.c();
    const Vector3 n = t.normal();
    // 2.
    const Vector3 d = n * distance;
    const PointPtr a2 = newPoint(a->position + d);
    const PointPtr b2 = newPoint(b->position + d);
    const PointPtr e2 = newPoint(e->position + d);
    // 3.
    polygons[polygonId] = newTriangle(a2, b2, e2);
    // 4.
    polygons.push_back(newTriangle(a2, a, b));
    polygons.push_back(newTriangle(a2, b, b2));
    polygons.push_back(newTriangle(a, a2, e2));
    polygons.push_back(newTriangle(a, e2, e));
    polygons.push_back(newTriangle(b, e, b2));
    polygons.push_back(newTriangle(e, e2, b2));
    // 5.
    points.push_back(a2);
    points.push_back(b2);
    points.push_back(e2);
}

std::pair<size_t, size_t> Layer::splitTriangle(size_t id, int onEdgeId, float t) {
    static constexpr const char* kOperation = "Layer.splitTriangle(id:onEdgeId:t:)";
    // 1.
    const auto& tri = triangleAt(polygons, id, kOperation);
    TESSEL_CHECK(onEdgeId >= 0 && onEdgeId <= 2, kOperation,
                 "edge index " << onEdgeId << " out of range 0...2 (polygon id " << id << ")");
    const PointPtr verts[3] = {tri.a(), tri.b(), tri.c()};
    const PointPtr s = verts[onEdgeId];
    const PointPtr e = verts[(onEdgeId + 1) % 3];
    // 2.
    const PointPtr p = newPoint(s->position + (e->position - s->position) * t);
    // 3.
    const PointPtr* o = nullptr;
    for (const auto& v : verts) {
        if (v != s && v != e) {
            o = &v;
            break;
        }
    }
    TESSEL_CHECK(o != nullptr, kOperation,
                 "polygon id " << id << " has no vertex apart from edge " << onEdgeId);
    // 4.–6.
    polygons[id] = newTriangle(s, p, *o);
    polygons.push_back(newTriangle(p, e, *o));
    points.push_back(p);
    // 7.
    return {id, polygons.size() - 1};
}

void Layer::splitTriangle(size_t id, std::pair<int, int> onEdges, std::pair<float, float> t) {
    static constexpr const char* kOperation = "Layer.splitTriangle(id:onEdges:t:)";
    const auto [i, j] = onEdges;
    // 1.
    const auto& tri = triangleAt(polygons, id, kOperation);
    TESSEL_CHECK(i >= 0 && i <= 2 && j >= 0 && j <= 2, kOperation,
                 "edge indices (" << i << ", " << j << ") out of range 0...2 (polygon id " << id << ")");
    TESSEL_CHECK(i != j, kOperation, "equal edge indices (" << i << ", " << j << ") for polygon id " << id);
    const PointPtr verts[3] = {tri.a(), tri.b(), tri.c()};
    const Edge second{verts[j], verts[(j + 1) % 3]};
    // 2.
    const auto [a, b] = splitTriangle(id, i, t.first);
    // 3.
    size_t target = a;
    std::optional<int> k = polygons[a]->edgeId(second);
    if (!k) {
        k = polygons[b]->edgeId(second);
        target = b;
    }
    TESSEL_CHECK(k.has_value(), kOperation,
                 "edge " << j << " of polygon id " << id << " is lost after splitting edge " << i);
    // 4.
    splitTriangle(target, *k, t.second);
}

#if defined(__SSE__) && !defined(__FMA__) && !defined(__FMA4__)
#define TESSEL_LAYER_SIMD 1
#else
#define TESSEL_LAYER_SIMD 0
#endif

#if TESSEL_LAYER_SIMD
namespace {

// triangle_math::intersection for four triangles at once. Every lane performs the same IEEE
// single-precision operations in the same order as the scalar code (packed and scalar SSE
// arithmetic, division and square root are all correctly rounded, and without FMA nothing is
// contracted), so a lane is hit exactly when the scalar function returns a value for it.
typedef float F4 __attribute__((vector_size(16)));
typedef int I4 __attribute__((vector_size(16)));

struct V3 {
    F4 x, y, z;
};

inline V3 operator-(const V3& a, const V3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
// Vector3::dot: (x·o.x + y·o.y) + z·o.z.
inline F4 dot(const V3& a, const V3& b) { return (a.x * b.x + a.y * b.y) + a.z * b.z; }
inline V3 cross(const V3& a, const V3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline V3 normalized(const V3& v) {
    const F4 l = __builtin_ia32_sqrtps(dot(v, v));
    return {v.x / l, v.y / l, v.z / l};
}
inline V3 normal(const V3& a, const V3& b, const V3& c) { return normalized(cross(b - a, c - a)); }

typedef double D4 __attribute__((vector_size(32)));

inline F4 splat(float v) { return F4{v, v, v, v}; }

// Per lane, whether normalized(u) · normalized(v) > 0 as computed in float (the test of
// triangle_math::contains). Its sign equals the sign of u · v when the angle between u and v is
// clearly away from 90°: rounding moves the dot product of the normalized vectors by at most
// about 10 ulp of 1 (≈ 6e−7), and |u · v| > 1e−5·|u||v| (checked in double, with both squared
// lengths kept in a range where float rounding is all relative) keeps the cosine far beyond
// that. The lanes outside that case take the exact computation.
inline I4 positiveNormalizedDot(const V3& u, const V3& v) {
    const F4 uu = dot(u, u);
    const F4 vv = dot(v, v);
    const F4 uv = dot(u, v);
    const F4 lo = splat(1e-30f);
    const F4 hi = splat(1e30f);
    const I4 inRange = (uu >= lo) & (uu <= hi) & (vv >= lo) & (vv <= hi);
    const D4 uvd = __builtin_convertvector(uv, D4);
    const D4 bound = 1e-10 * __builtin_convertvector(uu, D4) * __builtin_convertvector(vv, D4);
    const I4 decided = inRange & __builtin_convertvector(uvd * uvd > bound, I4);
    const I4 positive = uv > splat(0);
    if (__builtin_ia32_movmskps(reinterpret_cast<F4>(decided)) == 0xF) {
        return positive;
    }
    const I4 exact = dot(normalized(u), normalized(v)) > splat(0);
    return (decided & positive) | (~decided & exact);
}

// Lanes (all bits set) whose triangle the ray from p0 along dir = p1 − p0 hits.
inline I4 hitLanes(const V3& a, const V3& b, const V3& c, const V3& p0, const V3& dir) {
    const V3 n = normalized(normal(a, b, c));
    const F4 three = splat(3.0f);
    const V3 center{((a.x + b.x) + c.x) / three, ((a.y + b.y) + c.y) / three,
                    ((a.z + b.z) + c.z) / three};
    const F4 denom = dot(dir, n);
    const F4 s = -dot(n, p0 - center) / denom;
    // p0 + dir * s, where Vector3 * float multiplies s by each component.
    const V3 x{p0.x + s * dir.x, p0.y + s * dir.y, p0.z + s * dir.z};
    // contains(): the unnormalized normals of (A, B, x), (B, C, x) and (C, A, x).
    const V3 c0 = cross(b - a, x - a);
    const V3 c1 = cross(c - b, x - b);
    const V3 c2 = cross(a - c, x - c);
    const F4 zero = splat(0);
    // denom != 0 is true for not-a-number, as the scalar `denom == 0` test is false for it;
    // !(s < 0) lets not-a-number through, as the scalar test does.
    return (denom != zero) & ~(s < zero) & positiveNormalizedDot(c0, c1) &
           positiveNormalizedDot(c0, c2);
}

} // namespace
#endif

std::vector<std::pair<size_t, Vector3>> Layer::intersections(const Line& line) const {
    static constexpr const char* kOperation = "Layer.intersections(withLine:)";
    std::vector<std::pair<size_t, Vector3>> result;
    const Vector3& p0 = line.first;
    const Vector3& p1 = line.second;
    auto scalar = [&](size_t id) {
        const auto& t = triangleAt(polygons, id, kOperation);
        if (auto x = triangle_math::intersection(t.a()->position, t.b()->position,
                                                 t.c()->position, p0, p1)) {
            result.emplace_back(id, *x);
        }
    };
    size_t id = 0;
#if TESSEL_LAYER_SIMD
    const Vector3 d = p1 - p0;
    const V3 p0v{{p0.x, p0.x, p0.x, p0.x}, {p0.y, p0.y, p0.y, p0.y}, {p0.z, p0.z, p0.z, p0.z}};
    const V3 dir{{d.x, d.x, d.x, d.x}, {d.y, d.y, d.y, d.y}, {d.z, d.z, d.z, d.z}};
    for (; id + 4 <= polygons.size(); id += 4) {
        const Vector3* pos[4][3];
        for (size_t lane = 0; lane < 4; ++lane) {
            const auto& t = triangleAt(polygons, id + lane, kOperation);
            pos[lane][0] = &t.a()->position;
            pos[lane][1] = &t.b()->position;
            pos[lane][2] = &t.c()->position;
        }
        auto gather = [&](int k) {
            return V3{{pos[0][k]->x, pos[1][k]->x, pos[2][k]->x, pos[3][k]->x},
                      {pos[0][k]->y, pos[1][k]->y, pos[2][k]->y, pos[3][k]->y},
                      {pos[0][k]->z, pos[1][k]->z, pos[2][k]->z, pos[3][k]->z}};
        };
        const I4 hits = hitLanes(gather(0), gather(1), gather(2), p0v, dir);
        for (size_t lane = 0; lane < 4; ++lane) {
            if (hits[lane]) {
                // The hit position itself, from the scalar code.
                scalar(id + lane);
            }
        }
    }
#endif
    for (; id < polygons.size(); ++id) {
        scalar(id);
    }
    return result;
}

std::optional<Vector3> Layer::intersection(size_t polygonId, const Line& line) const {
    const auto& t = triangleAt(polygons, polygonId, "Layer.intersection(ofPolygonWithId:withLine:)");
    return t.intersection(line.first, line.second);
}

} // namespace tessel::legacy

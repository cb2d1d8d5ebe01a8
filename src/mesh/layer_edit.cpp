// Layer edits that add geometry and the ray queries (spec Part 2.3).
#include "mesh/layer.h"

#include "base/check.h"

namespace tessel {

namespace {

const Triangle& triangleAt(const std::vector<PolygonPtr>& polygons, size_t id, const char* operation) {
    TESSEL_CHECK(id < polygons.size(), operation,
                 "polygon id " << id << " out of range for " << polygons.size());
    TESSEL_CHECK(polygons[id]->isTriangle(), operation, "polygon id " << id << " is not a triangle");
    return static_cast<const Triangle&>(*polygons[id]);
}

} // namespace

void Layer::subdividePolygon(size_t id) {
    TESSEL_CHECK(id < polygons.size(), "Layer.subdividePolygon(id:)",
                 "polygon id " << id << " out of range for " << polygons.size());
    // 1.–2.
    const PolygonPtr polygon = polygons[id];
    const PointPtr center = Point::make(polygon->centroid());
    points.push_back(center);
    // 3.–5. For a triangle the pieces are built directly (the same faces as subdivided()).
    if (polygon->isTriangle()) {
        const auto& t = static_cast<const Triangle&>(*polygon);
        const PointPtr& a = t.a();
        const PointPtr& b = t.b();
        const PointPtr& e = t.c();
        auto first = Triangle::make(a, b, center);
        auto second = Triangle::make(b, e, center);
        auto third = Triangle::make(e, a, center);
        polygons[id] = std::move(first); // `polygon` keeps the old face alive until the end
        polygons.push_back(std::move(second));
        polygons.push_back(std::move(third));
        return;
    }
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
    const PointPtr a2 = Point::make(a->position + d);
    const PointPtr b2 = Point::make(b->position + d);
    const PointPtr e2 = Point::make(e->position + d);
    // 3.
    polygons[polygonId] = Triangle::make(a2, b2, e2);
    // 4.
    polygons.push_back(Triangle::make(a2, a, b));
    polygons.push_back(Triangle::make(a2, b, b2));
    polygons.push_back(Triangle::make(a, a2, e2));
    polygons.push_back(Triangle::make(a, e2, e));
    polygons.push_back(Triangle::make(b, e, b2));
    polygons.push_back(Triangle::make(e, e2, b2));
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
    const PointPtr p = Point::make(s->position + (e->position - s->position) * t);
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
    polygons[id] = Triangle::make(s, p, *o);
    polygons.push_back(Triangle::make(p, e, *o));
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

std::vector<std::pair<size_t, Vector3>> Layer::intersections(const Line& line) const {
    std::vector<std::pair<size_t, Vector3>> result;
    for (size_t id = 0; id < polygons.size(); ++id) {
        const auto& t = triangleAt(polygons, id, "Layer.intersections(withLine:)");
        if (auto x = triangle_math::intersection(t.a()->position, t.b()->position,
                                                 t.c()->position, line.first, line.second)) {
            result.emplace_back(id, *x);
        }
    }
    return result;
}

std::optional<Vector3> Layer::intersection(size_t polygonId, const Line& line) const {
    const auto& t = triangleAt(polygons, polygonId, "Layer.intersection(ofPolygonWithId:withLine:)");
    return t.intersection(line.first, line.second);
}

} // namespace tessel

#include "mesh/split.h"

#include "base/check.h"

#include <optional>

namespace tessel {

namespace {

// The corners of a face that must be a triangle.
Triangle triangleAt(const Layer& layer, size_t face, const char* operation) {
    checkFace(layer, face, operation);
    const FaceList::Face c = layer.faces[face];
    TESSEL_CHECK(c.size() == 3, operation, "face id " << face << " has " << c.size() << " corners");
    return {c[0], c[1], c[2]};
}

// The first edge of the face joining the two points, in either direction.
std::optional<int> edgeOf(const Triangle& t, std::uint32_t v0, std::uint32_t v1) {
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t a = t[i];
        const std::uint32_t b = t[(i + 1) % 3];
        if ((a == v0 && b == v1) || (a == v1 && b == v0)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::pair<size_t, size_t> splitTriangle(Layer& layer, size_t face, int edge, float t) {
    const Triangle corners = triangleAt(layer, face, "splitTriangle");
    TESSEL_CHECK(edge >= 0 && edge <= 2, "splitTriangle",
                 "edge " << edge << " out of range 0...2 (face id " << face << ")");
    const Vector3 ps = layer.positions[corners[edge]];
    const Vector3 pe = layer.positions[corners[(edge + 1) % 3]];
    layer.positions.push_back(ps + (pe - ps) * t);
    return splitTriangleAt(layer, face, edge,
                           static_cast<std::uint32_t>(layer.positions.size() - 1));
}

std::pair<size_t, size_t> splitTriangleAt(Layer& layer, size_t face, int edge, std::uint32_t p) {
    static constexpr const char* kOperation = "splitTriangle";
    const Triangle corners = triangleAt(layer, face, kOperation);
    TESSEL_CHECK(edge >= 0 && edge <= 2, kOperation,
                 "edge " << edge << " out of range 0...2 (face id " << face << ")");
    const std::uint32_t s = corners[edge];
    const std::uint32_t e = corners[(edge + 1) % 3];
    std::optional<std::uint32_t> o;
    for (const std::uint32_t v : corners) {
        if (v != s && v != e) {
            o = v;
            break;
        }
    }
    TESSEL_CHECK(o.has_value(), kOperation,
                 "face id " << face << " has no corner apart from edge " << edge);
    TESSEL_CHECK(p < layer.positions.size() && p != s && p != e && p != *o, kOperation,
                 "point id " << p << " cannot split face id " << face);
    layer.faces.replace(face, {s, p, *o});
    layer.faces.push_back({p, e, *o});
    return {face, layer.faces.size() - 1};
}

void splitTriangle(Layer& layer, size_t face, std::pair<int, int> edges,
                   std::pair<float, float> t) {
    static constexpr const char* kOperation = "splitTriangle";
    const auto [i, j] = edges;
    const Triangle corners = triangleAt(layer, face, kOperation);
    TESSEL_CHECK(i >= 0 && i <= 2 && j >= 0 && j <= 2 && i != j, kOperation,
                 "edges (" << i << ", " << j << ") are not two of 0...2 (face id " << face << ")");
    const std::uint32_t v0 = corners[j];
    const std::uint32_t v1 = corners[(j + 1) % 3];
    const auto [a, b] = splitTriangle(layer, face, i, t.first);
    size_t target = a;
    std::optional<int> k = edgeOf(triangleAt(layer, a, kOperation), v0, v1);
    if (!k) {
        k = edgeOf(triangleAt(layer, b, kOperation), v0, v1);
        target = b;
    }
    TESSEL_CHECK(k.has_value(), kOperation,
                 "edge " << j << " of face id " << face << " is lost after splitting edge " << i);
    splitTriangle(layer, target, *k, t.second);
}

} // namespace tessel

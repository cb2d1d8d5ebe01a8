#include "mesh/extrude.h"

#include "mesh/polygon.h"
#include "mesh/triangle.h"

#include <cmath>

namespace tessel {

namespace {

bool extrudeTriangle(Layer& layer, size_t face, float distance) {
    const FaceList::Face corners = layer.faces[face];
    const std::uint32_t a = corners[0], b = corners[1], e = corners[2];
    std::vector<Vector3>& p = layer.positions;
    const Vector3 d = triangle::normal(p[a], p[b], p[e]) * distance;
    const auto a2 = static_cast<std::uint32_t>(p.size());
    const std::uint32_t b2 = a2 + 1;
    const std::uint32_t e2 = a2 + 2;
    const Vector3 moved[3] = {p[a] + d, p[b] + d, p[e] + d};
    for (const Vector3& m : moved) {
        if (!isFinite(m)) {
            return false;
        }
    }
    p.insert(p.end(), moved, moved + 3);
    layer.faces.replace(face, {a2, b2, e2});
    for (const Triangle& t : {Triangle{a2, a, b}, Triangle{a2, b, b2}, Triangle{a, a2, e2},
                              Triangle{a, e2, e}, Triangle{b, e, b2}, Triangle{e, e2, b2}}) {
        layer.faces.push_back(t);
    }
    return true;
}

} // namespace

bool extrude(Layer& layer, size_t face, float distance) {
    checkFace(layer, face, "extrude");
    const std::vector<std::uint32_t> corners(layer.faces[face].begin(), layer.faces[face].end());
    if (corners.size() == 3) {
        return extrudeTriangle(layer, face, distance);
    }
    std::vector<Vector3>& p = layer.positions;
    const Vector3 d = polygon::normal(p, corners) * distance;
    const size_t n = corners.size();
    std::vector<std::uint32_t> cap(n);
    for (size_t k = 0; k < n; ++k) {
        if (!isFinite(p[corners[k]] + d)) {
            return false;
        }
    }
    for (size_t k = 0; k < n; ++k) {
        cap[k] = static_cast<std::uint32_t>(p.size());
        p.push_back(p[corners[k]] + d);
    }
    layer.faces.replace(face, cap);
    for (size_t k = 0; k < n; ++k) {
        const size_t j = (k + 1) % n;
        layer.faces.push_back({corners[k], corners[j], cap[j], cap[k]});
    }
    return true;
}

} // namespace tessel

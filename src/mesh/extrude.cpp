#include "mesh/extrude.h"

#include "mesh/triangle.h"

#include <cmath>

namespace tessel {

bool extrude(Layer& layer, size_t face, float distance) {
    checkFace(layer, face, "extrude");
    const auto [a, b, e] = layer.triangles[face];
    std::vector<Vector3>& p = layer.positions;
    const Vector3 d = triangle::normal(p[a], p[b], p[e]) * distance;
    const auto a2 = static_cast<std::uint32_t>(p.size());
    const std::uint32_t b2 = a2 + 1;
    const std::uint32_t e2 = a2 + 2;
    const Vector3 moved[3] = {p[a] + d, p[b] + d, p[e] + d};
    for (const Vector3& m : moved) {
        if (!std::isfinite(m.x) || !std::isfinite(m.y) || !std::isfinite(m.z)) {
            return false;
        }
    }
    p.insert(p.end(), moved, moved + 3);
    layer.triangles[face] = {a2, b2, e2};
    layer.triangles.insert(layer.triangles.end(),
                           {Triangle{a2, a, b}, Triangle{a2, b, b2}, Triangle{a, a2, e2},
                            Triangle{a, e2, e}, Triangle{b, e, b2}, Triangle{e, e2, b2}});
    return true;
}

} // namespace tessel

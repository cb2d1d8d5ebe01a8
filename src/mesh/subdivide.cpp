#include "mesh/subdivide.h"

#include "base/check.h"
#include "mesh/triangle.h"

namespace tessel {

std::uint32_t subdivide(Layer& layer, size_t face) {
    checkFace(layer, face, "subdivide");
    const Triangle t = layer.triangles[face];
    const auto center = static_cast<std::uint32_t>(layer.positions.size());
    const std::vector<Vector3>& p = layer.positions;
    layer.positions.push_back(triangle::centroid(p[t[0]], p[t[1]], p[t[2]]));
    layer.triangles[face] = {t[0], t[1], center};
    layer.triangles.push_back({t[1], t[2], center});
    layer.triangles.push_back({t[2], t[0], center});
    return center;
}

void subdivideAll(Layer& layer) {
    const size_t faces = layer.triangles.size();
    const size_t points = layer.positions.size();
    TESSEL_CHECK(points + faces < kRemoved && 3 * faces < kRemoved, "subdivideAll",
                 "too large a layer: " << points << " points, " << faces << " faces");
    // The pieces land where the one-by-one order puts them: face i keeps (A, B, P_i), and its
    // other two pieces follow every original face, two by two in face order.
    layer.positions.resize(points + faces);
    layer.triangles.resize(3 * faces);
    Vector3* p = layer.positions.data();
    Triangle* triangles = layer.triangles.data();
    for (size_t i = 0; i < faces; ++i) {
        const Triangle t = triangles[i];
        const auto center = static_cast<std::uint32_t>(points + i);
        p[center] = triangle::centroid(p[t[0]], p[t[1]], p[t[2]]);
        triangles[i] = {t[0], t[1], center};
        triangles[faces + 2 * i] = {t[1], t[2], center};
        triangles[faces + 2 * i + 1] = {t[2], t[0], center};
    }
}

} // namespace tessel

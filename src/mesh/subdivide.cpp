#include "mesh/subdivide.h"

#include "base/check.h"
#include "mesh/polygon.h"
#include "mesh/triangle.h"

namespace tessel {

std::uint32_t subdivide(Layer& layer, size_t face) {
    checkFace(layer, face, "subdivide");
    const std::vector<std::uint32_t> c(layer.faces[face].begin(), layer.faces[face].end());
    const auto center = static_cast<std::uint32_t>(layer.positions.size());
    layer.positions.push_back(polygon::centroid(layer.positions, c));
    const size_t n = c.size();
    layer.faces.replace(face, {c[0], c[1], center});
    for (size_t k = 1; k < n; ++k) {
        layer.faces.push_back({c[k], c[(k + 1) % n], center});
    }
    return center;
}

void subdivideAll(Layer& layer) {
    const size_t faces = layer.faces.size();
    const size_t points = layer.positions.size();
    const size_t corners = layer.faces.corners().size();
    TESSEL_CHECK(points + faces < kRemoved && 3 * corners < kRemoved, "subdivideAll",
                 "too large a layer: " << points << " points, " << faces << " faces");
    // The pieces land where the one-by-one order puts them: face i keeps (A, B, P_i), and its
    // other pieces follow every original face, face by face.
    layer.positions.resize(points + faces);
    Vector3* p = layer.positions.data();
    if (layer.faces.allTriangles()) {
        std::vector<std::uint32_t> out(3 * corners);
        const std::uint32_t* in = layer.faces.corners().data();
        for (size_t i = 0; i < faces; ++i) {
            const std::uint32_t a = in[3 * i], b = in[3 * i + 1], c = in[3 * i + 2];
            const auto center = static_cast<std::uint32_t>(points + i);
            p[center] = triangle::centroid(p[a], p[b], p[c]);
            std::uint32_t* first = &out[3 * i];
            first[0] = a, first[1] = b, first[2] = center;
            std::uint32_t* rest = &out[3 * faces + 6 * i];
            rest[0] = b, rest[1] = c, rest[2] = center;
            rest[3] = c, rest[4] = a, rest[5] = center;
        }
        layer.faces = FaceList(std::move(out), 3);
        return;
    }
    std::vector<std::uint32_t> first(3 * faces);
    std::vector<std::uint32_t> rest;
    rest.reserve(3 * (corners - faces));
    for (size_t i = 0; i < faces; ++i) {
        const FaceList::Face c = layer.faces[i];
        const auto center = static_cast<std::uint32_t>(points + i);
        p[center] = polygon::centroid(layer.positions, c);
        first[3 * i] = c[0], first[3 * i + 1] = c[1], first[3 * i + 2] = center;
        for (size_t k = 1; k < c.size(); ++k) {
            rest.insert(rest.end(), {c[k], c[(k + 1) % c.size()], center});
        }
    }
    first.insert(first.end(), rest.begin(), rest.end());
    layer.faces = FaceList(std::move(first), 3);
}

} // namespace tessel

#include "mesh/duplicate.h"

#include "mesh/crease.h"
#include "mesh/region.h"

namespace tessel {

Duplicated duplicateFaces(Layer& layer, std::span<const std::uint32_t> faces) {
    const std::vector<std::uint32_t> originals = distinctFaces(layer, faces);
    const std::vector<std::uint32_t> points = pointsOfFaces(layer, originals);
    std::vector<Vector3>& positions = layer.positions;
    std::vector<std::uint32_t> copyOf(positions.size(), kRemoved);
    Duplicated copies;
    copies.points.reserve(points.size());
    positions.reserve(positions.size() + points.size());
    for (const std::uint32_t p : points) {
        copyOf[p] = static_cast<std::uint32_t>(positions.size());
        copies.points.push_back(copyOf[p]);
        positions.push_back(positions[p]);
    }
    std::size_t corners = 0;
    for (const std::uint32_t f : originals) {
        corners += layer.faces.cornerCount(f);
    }
    layer.faces.reserve(layer.faces.size() + originals.size(),
                        layer.faces.corners().size() + corners);
    std::vector<std::uint32_t> face;
    for (const std::uint32_t f : originals) {
        face.assign(layer.faces[f].begin(), layer.faces[f].end());
        for (std::uint32_t& v : face) {
            v = copyOf[v];
        }
        copies.faces.push_back(static_cast<std::uint32_t>(layer.faces.size()));
        layer.faces.push_back(face);
    }
    copyCreases(layer.creases, copyOf);
    return copies;
}

} // namespace tessel

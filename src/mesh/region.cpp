#include "mesh/region.h"

#include "mesh/edge.h"

#include <algorithm>
#include <utility>

namespace tessel {

std::vector<std::uint32_t> distinctFaces(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<std::uint32_t> result;
    result.reserve(faces.size());
    std::vector<std::uint8_t> seen(layer.faces.size(), 0);
    for (const std::uint32_t f : faces) {
        if (f < layer.faces.size() && !std::exchange(seen[f], 1)) {
            result.push_back(f);
        }
    }
    return result;
}

Region faceByFace(const Layer& layer, std::span<const std::uint32_t> faces) {
    Region region;
    region.faces = distinctFaces(layer, faces);
    region.starts.reserve(region.faces.size() + 1);
    region.starts.push_back(0);
    for (const std::uint32_t f : region.faces) {
        const FaceList::Face face = layer.faces[f];
        const auto first = static_cast<std::uint32_t>(region.corners.size());
        for (std::size_t k = 0; k < face.size(); ++k) {
            region.corners.push_back(face[k]);
            region.nexts.push_back(first + static_cast<std::uint32_t>((k + 1) % face.size()));
        }
        region.starts.push_back(static_cast<std::uint32_t>(region.corners.size()));
    }
    region.mates.assign(region.corners.size(), kNoSide);
    return region;
}

Region regionOf(const Layer& layer, std::span<const std::uint32_t> faces) {
    Region region = faceByFace(layer, faces);
    std::vector<std::uint8_t> inRegion(layer.faces.size(), 0);
    for (const std::uint32_t f : region.faces) {
        inRegion[f] = 1;
    }
    std::vector<std::uint8_t> pointInRegion(layer.positions.size(), 0);
    for (const std::uint32_t p : region.corners) {
        pointInRegion[p] = 1;
    }

    // The edges between the region's points that faces outside it use as well.
    region.usedOutside.assign(layer.positions.size(), 0);
    std::vector<Edge> outside;
    if (region.faces.size() < layer.faces.size()) {
        for (std::size_t f = 0; f < layer.faces.size(); ++f) {
            if (inRegion[f]) {
                continue;
            }
            const FaceList::Face face = layer.faces[f];
            std::uint32_t p = face.back();
            for (const std::uint32_t q : face) {
                if (pointInRegion[q]) {
                    region.usedOutside[q] = 1;
                    if (pointInRegion[p]) {
                        outside.push_back(Edge::between(p, q));
                    }
                }
                p = q;
            }
        }
        std::sort(outside.begin(), outside.end());
    }

    // Sides on the same edge become neighbours in the sort.
    struct Side {
        Edge edge;
        std::uint32_t side;
    };
    std::vector<Side> sides(region.corners.size());
    for (std::uint32_t s = 0; s < sides.size(); ++s) {
        sides[s] = {Edge::between(region.corners[s], region.corners[region.nexts[s]]), s};
    }
    std::sort(sides.begin(), sides.end(), [](const Side& a, const Side& b) {
        return a.edge != b.edge ? a.edge < b.edge : a.side < b.side;
    });
    for (std::size_t i = 0; i < sides.size();) {
        std::size_t end = i + 1;
        while (end < sides.size() && sides[end].edge == sides[i].edge) {
            ++end;
        }
        if (end - i == 2 && !std::binary_search(outside.begin(), outside.end(), sides[i].edge)) {
            region.mates[sides[i].side] = sides[i + 1].side;
            region.mates[sides[i + 1].side] = sides[i].side;
        }
        i = end;
    }
    return region;
}

std::size_t sideTrianglesBound(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::size_t sides = 0;
    for (const std::uint32_t f : faces) {
        sides += f < layer.faces.size() ? layer.faces.cornerCount(f) : 0;
    }
    return 2 * sides;
}

std::size_t trianglesOfFaces(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::size_t triangles = 0;
    for (const std::uint32_t f : faces) {
        triangles += f < layer.faces.size() ? layer.faces.cornerCount(f) - 2 : 0;
    }
    return triangles;
}

} // namespace tessel

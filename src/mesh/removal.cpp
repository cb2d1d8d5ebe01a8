#include "mesh/removal.h"

#include "base/check.h"

#include <algorithm>

namespace tessel {

void remapCorners(Layer& layer, const std::vector<std::uint32_t>& remap) {
    for (std::uint32_t& v : layer.faces.allCorners()) {
        v = remap[v];
    }
}

std::vector<std::uint32_t> removeFaces(Layer& layer, std::span<const std::uint32_t> faces) {
    const size_t faceCount = layer.faces.size();
    std::vector<std::uint8_t> keepFace(faceCount, 1);
    for (const std::uint32_t f : faces) {
        checkFace(layer, f, "removeFaces");
        keepFace[f] = 0;
    }
    // Faces only disappear, so a corner once unused stays unused: a corner of a removed face
    // goes exactly when no face left at the end uses it.
    const size_t pointCount = layer.positions.size();
    std::vector<std::uint8_t> candidate(pointCount, 0);
    for (const std::uint32_t f : faces) {
        for (const std::uint32_t v : layer.faces[f]) {
            candidate[v] = 1;
        }
    }
    layer.faces.compact(keepFace);
    std::vector<std::uint8_t> keepPoint(pointCount, 1);
    for (size_t v = 0; v < pointCount; ++v) {
        keepPoint[v] = !candidate[v];
    }
    for (const std::uint32_t v : layer.faces.corners()) {
        keepPoint[v] = 1;
    }
    std::vector<std::uint32_t> remap = compact(layer.positions, keepPoint);
    // Nothing to renumber below the first point that went.
    const auto firstGone = std::find(remap.begin(), remap.end(), kRemoved);
    if (firstGone != remap.end()) {
        remapCorners(layer, remap);
    }
    return remap;
}

} // namespace tessel

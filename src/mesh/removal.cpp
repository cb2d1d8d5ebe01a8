#include "mesh/removal.h"

#include "base/check.h"
#include "mesh/crease.h"

#include <algorithm>

namespace tessel {

void remapCorners(Layer& layer, const std::vector<std::uint32_t>& remap) {
    for (std::uint32_t& v : layer.faces.allCorners()) {
        v = remap[v];
    }
    remapCreases(layer.creases, remap);
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

std::vector<std::uint32_t> removePoints(Layer& layer, std::span<const std::int64_t> points) {
    const size_t pointCount = layer.positions.size();
    std::vector<std::uint8_t> keepPoint = flagPoints(layer, points).flags;
    const bool any = std::ranges::any_of(keepPoint, [](std::uint8_t f) { return f != 0; });
    for (std::uint8_t& keep : keepPoint) {
        keep = keep == 0 ? 1 : 0;
    }
    if (!any) {
        std::vector<std::uint32_t> identity(pointCount);
        for (size_t v = 0; v < pointCount; ++v) {
            identity[v] = static_cast<std::uint32_t>(v);
        }
        return identity;
    }
    std::vector<std::uint8_t> keepFace(layer.faces.size(), 1);
    for (size_t f = 0; f < layer.faces.size(); ++f) {
        keepFace[f] =
            std::ranges::all_of(layer.faces[f], [&](std::uint32_t v) { return keepPoint[v] != 0; });
    }
    layer.faces.compact(keepFace);
    std::vector<std::uint32_t> remap = compact(layer.positions, keepPoint);
    remapCorners(layer, remap);
    return remap;
}

std::vector<std::uint32_t> removeEdges(Layer& layer, std::span<const Edge> edges) {
    const size_t pointCount = layer.positions.size();
    std::vector<Edge> listed;
    std::vector<std::uint8_t> endpoint(pointCount, 0);
    for (const Edge& e : edges) {
        if (e.a != e.b && e.a < pointCount && e.b < pointCount) {
            listed.push_back(Edge::between(e.a, e.b));
            endpoint[e.a] = endpoint[e.b] = 1;
        }
    }
    std::ranges::sort(listed);
    std::vector<std::uint32_t> doomed;
    for (size_t f = 0; f < layer.faces.size(); ++f) {
        const FaceList::Face face = layer.faces[f];
        for (size_t k = 0; k < face.size(); ++k) {
            const std::uint32_t u = face[k];
            const std::uint32_t w = face[(k + 1) % face.size()];
            if (endpoint[u] && endpoint[w] &&
                std::ranges::binary_search(listed, Edge::between(u, w))) {
                doomed.push_back(static_cast<std::uint32_t>(f));
                break;
            }
        }
    }
    return removeFaces(layer, doomed);
}

size_t removeFacesOnly(Layer& layer, std::span<const std::uint32_t> faces) {
    const size_t faceCount = layer.faces.size();
    std::vector<std::uint8_t> keepFace(faceCount, 1);
    for (const std::uint32_t f : faces) {
        if (f < faceCount) {
            keepFace[f] = 0;
        }
    }
    layer.faces.compact(keepFace);
    return faceCount - layer.faces.size();
}

} // namespace tessel

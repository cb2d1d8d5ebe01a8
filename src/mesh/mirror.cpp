#include "mesh/mirror.h"

#include "mesh/crease.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

float& coordinate(Vector3& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

} // namespace

std::vector<std::uint32_t> mirrorFaces(Layer& layer, std::span<const std::uint32_t> faces, int axis,
                                       bool weldSeam, float seamTolerance) {
    if (axis < 0 || axis > 2) {
        return {};
    }
    const size_t faceCount = layer.faces.size();
    std::vector<std::uint8_t> chosen(faceCount, faces.empty() ? 1 : 0);
    for (const std::uint32_t f : faces) {
        if (f < faceCount) {
            chosen[f] = 1;
        }
    }
    const auto onSeam = [&](std::uint32_t v) {
        Vector3 p = layer.positions[v];
        return weldSeam && std::abs(coordinate(p, axis)) <= seamTolerance;
    };
    std::vector<std::uint32_t> copyOf(layer.positions.size(), kRemoved);
    std::vector<std::uint32_t> added;
    std::vector<std::uint32_t> ring;
    for (size_t f = 0; f < faceCount; ++f) {
        if (!chosen[f]) {
            continue;
        }
        // The face's corners are copied out: appending a face may move the list's storage.
        ring.assign(layer.faces[f].begin(), layer.faces[f].end());
        if (std::ranges::all_of(ring, onSeam)) {
            continue;
        }
        for (std::uint32_t& v : ring) {
            if (copyOf[v] == kRemoved) {
                if (onSeam(v)) {
                    copyOf[v] = v;
                } else {
                    Vector3 p = layer.positions[v];
                    coordinate(p, axis) = -coordinate(p, axis);
                    copyOf[v] = static_cast<std::uint32_t>(layer.positions.size());
                    layer.positions.push_back(p);
                }
            }
            v = copyOf[v];
        }
        std::reverse(ring.begin() + 1, ring.end());
        added.push_back(static_cast<std::uint32_t>(layer.faces.size()));
        layer.faces.push_back(ring);
    }
    copyCreases(layer.creases, copyOf);
    return added;
}

} // namespace tessel

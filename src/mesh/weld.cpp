#include "mesh/weld.h"

#include "base/check.h"
#include "mesh/removal.h"

namespace tessel {

Welded weld(Layer& layer, std::span<const std::uint32_t> points) {
    if (points.empty()) {
        return {};
    }
    for (const std::uint32_t id : points) {
        TESSEL_CHECK(id < layer.positions.size(), "weld",
                     "point id " << id << " out of range for " << layer.positions.size());
    }
    return weld(layer, points, centroid(layer, points));
}

Welded weld(Layer& layer, std::span<const std::uint32_t> points, const Vector3& position) {
    if (points.empty()) {
        return {};
    }
    const size_t count = layer.positions.size();
    TESSEL_CHECK(count < kRemoved - 1, "weld", "too many points: " << count);
    std::vector<std::uint8_t> listed(count + 1, 0);
    for (const std::uint32_t id : points) {
        TESSEL_CHECK(id < count, "weld", "point id " << id << " out of range for " << count);
        listed[id] = 1;
    }
    const auto merged = static_cast<std::uint32_t>(count);

    std::vector<std::uint8_t> used(count + 1, 0);
    std::vector<std::uint8_t> keepFace(layer.triangles.size(), 1);
    for (size_t f = 0; f < layer.triangles.size(); ++f) {
        Triangle& ring = layer.triangles[f];
        for (std::uint32_t& v : ring) {
            if (listed[v]) {
                v = merged;
            }
        }
        if (ring[0] == ring[1] || ring[0] == ring[2] || ring[1] == ring[2]) {
            keepFace[f] = 0;
            continue;
        }
        for (const std::uint32_t v : ring) {
            used[v] = 1;
        }
    }
    layer.positions.push_back(position);
    Welded result;
    result.remap = compact(layer.positions, used);
    // The surviving faces, moved down and renumbered in one pass.
    size_t kept = 0;
    for (size_t f = 0; f < layer.triangles.size(); ++f) {
        if (keepFace[f]) {
            const Triangle& t = layer.triangles[f];
            layer.triangles[kept++] = {result.remap[t[0]], result.remap[t[1]], result.remap[t[2]]};
        }
    }
    layer.triangles.resize(kept);
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

} // namespace tessel

#include "mesh/weld.h"

#include "base/check.h"
#include "mesh/removal.h"

#include <algorithm>
#include <utility>

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

    // The listed points become the merged one in place. A face that now holds it more than once
    // keeps only the first of those corners, and goes when fewer than three corners are left.
    FaceList& faces = layer.faces;
    const std::span<std::uint32_t> corners = faces.allCorners();
    std::vector<size_t> hits;
    for (size_t i = 0; i < corners.size(); ++i) {
        if (listed[corners[i]]) {
            corners[i] = merged;
            hits.push_back(i);
        }
    }
    std::vector<std::uint32_t> changed;
    std::vector<std::vector<std::uint32_t>> rings;
    for (size_t h = 0; h < hits.size();) {
        const size_t f = faces.faceOfCorner(hits[h]);
        const size_t end = faces.start(f + 1);
        size_t holding = 0;
        for (; h < hits.size() && hits[h] < end; ++h) {
            ++holding;
        }
        if (holding > 1) {
            std::vector<std::uint32_t> ring;
            bool hasMerged = false;
            for (size_t i = faces.start(f); i < end; ++i) {
                if (corners[i] != merged || !std::exchange(hasMerged, true)) {
                    ring.push_back(corners[i]);
                }
            }
            changed.push_back(static_cast<std::uint32_t>(f));
            rings.push_back(ring.size() >= 3 ? std::move(ring) : std::vector<std::uint32_t>());
        }
    }
    if (!changed.empty()) {
        faces.replace(changed, rings);
    }
    // The flags serve again, for the points still used.
    std::vector<std::uint8_t>& used = listed;
    std::fill(used.begin(), used.end(), 0);
    for (const std::uint32_t v : faces.corners()) {
        used[v] = 1;
    }
    layer.positions.push_back(position);
    Welded result;
    result.remap = compact(layer.positions, used);
    remapCorners(layer, result.remap);
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

} // namespace tessel

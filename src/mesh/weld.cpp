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

    // Each face with the listed points replaced, keeping the first of the merged point's corners;
    // a face left with fewer than three corners goes.
    std::vector<std::uint8_t> used(count + 1, 0);
    FaceList kept;
    kept.reserve(layer.faces.size(), layer.faces.corners().size());
    std::vector<std::uint32_t> ring;
    for (const FaceList::Face face : layer.faces) {
        ring.clear();
        bool hasMerged = false;
        for (const std::uint32_t v : face) {
            if (!listed[v]) {
                ring.push_back(v);
            } else if (!hasMerged) {
                hasMerged = true;
                ring.push_back(merged);
            }
        }
        if (ring.size() < 3) {
            continue;
        }
        for (const std::uint32_t v : ring) {
            used[v] = 1;
        }
        kept.push_back(ring);
    }
    layer.positions.push_back(position);
    Welded result;
    result.remap = compact(layer.positions, used);
    for (std::uint32_t& v : kept.allCorners()) {
        v = result.remap[v];
    }
    layer.faces = std::move(kept);
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

} // namespace tessel

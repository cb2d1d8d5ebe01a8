#include "mesh/weld.h"

#include "base/check.h"

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
    // One table serves three turns: the listed points, then how many corners hold each point (so
    // that the points left unused are known without another pass over the faces), then the
    // remap it becomes.
    constexpr std::uint32_t kListed = kRemoved;
    Welded result;
    std::vector<std::uint32_t>& table = result.remap;
    table.assign(count + 1, 0);
    for (const std::uint32_t id : points) {
        TESSEL_CHECK(id < count, "weld", "point id " << id << " out of range for " << count);
        table[id] = kListed;
    }
    const auto merged = static_cast<std::uint32_t>(count);

    // The listed points become the merged one in place. A face that now holds it more than once
    // keeps only the first of those corners, and goes when fewer than three corners are left.
    FaceList& faces = layer.faces;
    const std::span<std::uint32_t> corners = faces.allCorners();
    std::vector<size_t> hits;
    for (size_t i = 0; i < corners.size(); ++i) {
        std::uint32_t& v = corners[i];
        if (table[v] == kListed) {
            v = merged;
            hits.push_back(i);
        }
        ++table[v];
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
            if (ring.size() >= 3) {
                table[merged] -= static_cast<std::uint32_t>(holding - 1);
            } else {
                for (size_t i = faces.start(f); i < end; ++i) {
                    --table[corners[i]];
                }
                ring.clear();
            }
            changed.push_back(static_cast<std::uint32_t>(f));
            rings.push_back(std::move(ring));
        }
    }
    if (!changed.empty()) {
        faces.replace(changed, rings);
    }

    // The points still held move down in order; the counts become their new ids.
    layer.positions.push_back(position);
    std::vector<Vector3>& p = layer.positions;
    std::uint32_t kept = 0;
    std::uint32_t firstGone = kRemoved;
    for (std::uint32_t v = 0; v <= merged; ++v) {
        if (table[v] == 0 || table[v] == kListed) {
            table[v] = kRemoved;
            firstGone = std::min(firstGone, v);
            continue;
        }
        p[kept] = p[v];
        table[v] = kept++;
    }
    p.resize(kept);
    // Ids below the first point that went keep their number.
    for (std::uint32_t& v : faces.allCorners()) {
        if (v > firstGone) {
            v = table[v];
        }
    }
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

} // namespace tessel

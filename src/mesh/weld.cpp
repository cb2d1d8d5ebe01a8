#include "mesh/weld.h"

#include "base/check.h"
#include "mesh/crease.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

// Appends the face's corners to `ring`, each only where first met. `seen` is a scratch table with
// one entry per point, filled on the first face too large for pairwise comparison.
void firstOccurrences(FaceList::Face face, std::uint32_t stamp, std::vector<std::uint32_t>& seen,
                      size_t pointCount, std::vector<std::uint32_t>& ring) {
    ring.clear();
    if (face.size() <= 16) {
        for (const std::uint32_t v : face) {
            if (std::find(ring.begin(), ring.end(), v) == ring.end()) {
                ring.push_back(v);
            }
        }
        return;
    }
    if (seen.empty()) {
        seen.assign(pointCount, kRemoved);
    }
    for (const std::uint32_t v : face) {
        if (std::exchange(seen[v], stamp) != stamp) {
            ring.push_back(v);
        }
    }
}

} // namespace

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
    std::vector<std::uint32_t> into(count + 1);
    std::iota(into.begin(), into.end(), 0u);
    const auto merged = static_cast<std::uint32_t>(count);
    for (const std::uint32_t id : points) {
        TESSEL_CHECK(id < count, "weld", "point id " << id << " out of range for " << count);
        into[id] = merged;
    }
    layer.positions.push_back(position);
    Welded result;
    result.remap = mergePoints(layer, into, false);
    if (result.remap[merged] != kRemoved) {
        result.point = result.remap[merged];
    }
    return result;
}

std::vector<std::uint32_t> mergePoints(Layer& layer, std::span<const std::uint32_t> into,
                                       bool keepLoose) {
    const size_t count = layer.positions.size();
    TESSEL_CHECK(into.size() == count, "mergePoints",
                 into.size() << " targets for " << count << " points");
    TESSEL_CHECK(count < kRemoved, "mergePoints", "too many points: " << count);
    // A crease on a merged point's edge goes to the edge of the point it merges into.
    remapCreases(layer.creases, into);
    // One table serves two turns: how many corners hold each point once merged (so that the
    // points left unused are known without another pass over the faces), then the remap.
    std::vector<std::uint32_t> table(count, 0);
    std::vector<std::uint8_t> usedBefore(keepLoose ? count : 0, 0);
    FaceList& faces = layer.faces;
    const std::span<std::uint32_t> corners = faces.allCorners();
    std::vector<size_t> hits;
    for (size_t i = 0; i < corners.size(); ++i) {
        std::uint32_t& v = corners[i];
        if (keepLoose) {
            usedBefore[v] = 1;
        }
        if (into[v] != v) {
            v = into[v];
            hits.push_back(i);
        }
        ++table[v];
    }

    // Only a face with a moved corner can now repeat one. It keeps the first of the repeats, and
    // goes when fewer than three corners are left.
    std::vector<std::uint32_t> changed;
    std::vector<std::vector<std::uint32_t>> rings;
    std::vector<std::uint32_t> seen;
    std::vector<std::uint32_t> ring;
    for (size_t h = 0; h < hits.size();) {
        const size_t f = faces.faceOfCorner(hits[h]);
        const size_t end = faces.start(f + 1);
        while (h < hits.size() && hits[h] < end) {
            ++h;
        }
        const FaceList::Face face = faces[f];
        firstOccurrences(face, static_cast<std::uint32_t>(f), seen, count, ring);
        if (ring.size() == face.size()) {
            continue;
        }
        for (const std::uint32_t v : face) {
            --table[v];
        }
        if (ring.size() >= 3) {
            for (const std::uint32_t v : ring) {
                ++table[v];
            }
        } else {
            ring.clear();
        }
        changed.push_back(static_cast<std::uint32_t>(f));
        rings.push_back(ring);
    }
    if (!changed.empty()) {
        faces.replace(changed, rings);
    }

    // The points that stay move down in order; the counts become their new ids.
    std::vector<Vector3>& p = layer.positions;
    std::uint32_t kept = 0;
    std::uint32_t firstGone = kRemoved;
    for (std::uint32_t v = 0; v < count; ++v) {
        const bool stays = into[v] == v && (table[v] > 0 || (keepLoose && !usedBefore[v]));
        if (!stays) {
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
    remapCreases(layer.creases, table);
    return table;
}

} // namespace tessel

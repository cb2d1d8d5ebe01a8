#include "io/import_cleanup.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tessel {

float narrowedCoordinate(double coordinate) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::isnan(coordinate)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (std::abs(coordinate) > kLargest) {
        return coordinate > 0 ? std::numeric_limits<float>::infinity()
                              : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(coordinate);
}

std::string badCoordinate(std::span<const Vector3> positions) {
    for (const Vector3& p : positions) {
        for (const float c : {p.x, p.y, p.z}) {
            if (std::isnan(c)) {
                return "coordinate is not a number";
            }
            if (std::isinf(c)) {
                return "coordinate is infinite";
            }
        }
    }
    return {};
}

std::string badIndex(std::span<const std::uint32_t> corners, std::size_t pointCount) {
    for (const std::uint32_t corner : corners) {
        if (corner >= pointCount) {
            return "index " + std::to_string(corner) + " past the " + countText(pointCount) +
                   " points";
        }
    }
    return {};
}

namespace {

std::uint32_t bitsOf(float c) { return std::bit_cast<std::uint32_t>(c == 0 ? 0.0f : c); }

std::uint64_t hashOf(const Vector3& p) {
    std::uint64_t h = bitsOf(p.x) * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) + bitsOf(p.y) * 0xC2B2AE3D27D4EB4Full;
    h ^= (h >> 31) + bitsOf(p.z) * 0x165667B19E3779F9ull;
    return h ^ (h >> 32);
}

} // namespace

void joinPointsAtEqualPositions(std::vector<Vector3>& positions, std::span<std::uint32_t> corners) {
    // Open addressing over the joined points, at most half full; slots hold new ids.
    constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();
    std::size_t capacity = 16;
    while (capacity < 2 * positions.size()) {
        capacity *= 2;
    }
    std::vector<std::uint32_t> slots(capacity, kEmpty);
    std::vector<std::uint32_t> remap(positions.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const Vector3 p = positions[i];
        std::size_t slot = hashOf(p) & (capacity - 1);
        while (slots[slot] != kEmpty && !(positions[slots[slot]] == p)) {
            slot = (slot + 1) & (capacity - 1);
        }
        if (slots[slot] == kEmpty) {
            // Compacting in place is safe: kept ≤ i, and slots only name kept points.
            positions[kept] = p;
            slots[slot] = static_cast<std::uint32_t>(kept++);
        }
        remap[i] = slots[slot];
    }
    positions.resize(kept);
    for (std::uint32_t& corner : corners) {
        corner = remap[corner];
    }
}

RepeatsDropped dropRepeatedCorners(FaceList& faces, std::size_t pointCount) {
    // Each point marked with the last face (plus one) that met it: one pass over the corners,
    // whatever the faces' sizes.
    std::vector<std::uint32_t> metIn;
    const auto repeats = [&](std::size_t f, FaceList::Face face) {
        if (face.size() == 3) {
            return face[0] == face[1] || face[1] == face[2] || face[0] == face[2];
        }
        if (metIn.empty()) {
            metIn.assign(pointCount, 0);
        }
        bool repeated = false;
        for (const std::uint32_t v : face) {
            repeated = repeated || metIn[v] == f + 1;
            metIn[v] = static_cast<std::uint32_t>(f + 1);
        }
        return repeated;
    };
    std::size_t first = 0;
    while (first < faces.size() && !repeats(first, faces[first])) {
        ++first;
    }
    RepeatsDropped dropped;
    if (first == faces.size()) {
        return dropped;
    }

    FaceList kept;
    kept.reserve(faces.size(), faces.corners().size());
    for (std::size_t f = 0; f < first; ++f) {
        kept.push_back(faces[f]);
    }
    metIn.assign(pointCount, 0);
    std::vector<std::uint32_t> ring;
    for (std::size_t f = first; f < faces.size(); ++f) {
        ring.clear();
        for (const std::uint32_t v : faces[f]) {
            if (metIn[v] != f + 1) {
                metIn[v] = static_cast<std::uint32_t>(f + 1);
                ring.push_back(v);
            }
        }
        if (ring.size() < 3) {
            ++dropped.faces;
            continue;
        }
        dropped.corners += faces[f].size() - ring.size();
        kept.push_back(ring);
    }
    faces = std::move(kept);
    return dropped;
}

std::string cleanImportedMesh(std::vector<Vector3>& positions, FaceList& faces,
                              bool storedPerCorner, ImportReport& report) {
    if (std::string failure = badCoordinate(positions); !failure.empty()) {
        return failure;
    }
    if (std::string failure = badIndex(faces.corners(), positions.size()); !failure.empty()) {
        return failure;
    }
    if (storedPerCorner) {
        report.cornersJoined += positions.size();
        joinPointsAtEqualPositions(positions, faces.allCorners());
        report.pointsAfterJoining += positions.size();
    }
    const RepeatsDropped dropped = dropRepeatedCorners(faces, positions.size());
    report.repeatedCornersDropped += dropped.corners;
    report.degenerateFacesDropped += dropped.faces;
    return {};
}

} // namespace tessel

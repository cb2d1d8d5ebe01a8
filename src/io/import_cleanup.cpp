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

std::string badIndex(std::span<const Triangle> triangles, std::size_t pointCount) {
    for (const Triangle& t : triangles) {
        for (const std::uint32_t corner : t) {
            if (corner >= pointCount) {
                return "index " + std::to_string(corner) + " past the " + countText(pointCount) +
                       " points";
            }
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

void joinPointsAtEqualPositions(std::vector<Vector3>& positions, std::vector<Triangle>& triangles) {
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
    for (Triangle& t : triangles) {
        for (std::uint32_t& corner : t) {
            corner = remap[corner];
        }
    }
}

std::size_t removeRepeatedCornerFaces(std::vector<Triangle>& triangles) {
    const std::size_t before = triangles.size();
    std::erase_if(triangles,
                  [](const Triangle& t) { return t[0] == t[1] || t[1] == t[2] || t[0] == t[2]; });
    return before - triangles.size();
}

std::string cleanImportedMesh(std::vector<Vector3>& positions, std::vector<Triangle>& triangles,
                              bool storedPerCorner, ImportReport& report) {
    if (std::string failure = badCoordinate(positions); !failure.empty()) {
        return failure;
    }
    if (std::string failure = badIndex(triangles, positions.size()); !failure.empty()) {
        return failure;
    }
    if (storedPerCorner) {
        report.cornersJoined += positions.size();
        joinPointsAtEqualPositions(positions, triangles);
        report.pointsAfterJoining += positions.size();
    }
    report.degenerateFacesDropped += removeRepeatedCornerFaces(triangles);
    return {};
}

} // namespace tessel

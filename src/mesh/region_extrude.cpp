#include "mesh/region_extrude.h"

#include "mesh/polygon.h"
#include "mesh/region.h"

#include <cmath>
#include <utility>

namespace tessel {

namespace {

// The area-weighted mean normal, or zero when the areas cancel out: a closed surface's area
// vectors add up to zero but for rounding, far below the areas themselves.
Vector3 meanNormal(const Layer& layer, std::span<const std::uint32_t> faces) {
    double x = 0, y = 0, z = 0, total = 0;
    for (const std::uint32_t f : faces) {
        const auto a = polygon::areaVector(layer.positions, layer.faces[f]);
        x += a[0], y += a[1], z += a[2];
        total += std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    }
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 1e-9 * total) || !std::isfinite(length)) {
        return {};
    }
    return {static_cast<float>(x / length), static_cast<float>(y / length),
            static_cast<float>(z / length)};
}

} // namespace

ExtrudedRegion extrudeRegion(Layer& layer, std::span<const std::uint32_t> faces) {
    Region region = regionOf(layer, faces);
    ExtrudedRegion result;
    result.normal = meanNormal(layer, region.faces);

    // A point needs a copy where the cap parts from what stays: on the border, or under a face
    // outside the region.
    std::vector<std::uint8_t> copied = std::move(region.usedOutside);
    std::size_t walls = 0;
    for (std::uint32_t s = 0; s < region.sideCount(); ++s) {
        if (!region.inner(s)) {
            copied[region.corners[s]] = 1;
            copied[region.corners[region.nexts[s]]] = 1;
            ++walls;
        }
    }
    std::vector<Vector3>& positions = layer.positions;
    std::vector<std::uint32_t> capOf(positions.size(), kRemoved);
    for (const std::uint32_t p : region.corners) {
        if (capOf[p] == kRemoved) {
            capOf[p] = copied[p] ? static_cast<std::uint32_t>(positions.size()) : p;
            if (copied[p]) {
                positions.push_back(positions[p]);
            }
            result.points.push_back(capOf[p]);
        }
    }

    for (std::size_t i = 0; i < region.faces.size(); ++i) {
        const std::span<std::uint32_t> corners = layer.faces.cornersOf(region.faces[i]);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            corners[k] = capOf[region.corners[region.starts[i] + k]];
        }
    }
    layer.faces.reserve(layer.faces.size() + walls, layer.faces.corners().size() + 4 * walls);
    for (std::uint32_t s = 0; s < region.sideCount(); ++s) {
        if (!region.inner(s)) {
            const std::uint32_t a = region.corners[s];
            const std::uint32_t b = region.corners[region.nexts[s]];
            layer.faces.push_back({a, b, capOf[b], capOf[a]});
        }
    }
    return result;
}

bool offsetPoints(Layer& layer, std::span<const std::uint32_t> points, const Vector3& offset) {
    std::vector<Vector3>& positions = layer.positions;
    for (const std::uint32_t p : points) {
        if (p < positions.size() && !isFinite(positions[p] + offset)) {
            return false;
        }
    }
    std::vector<std::uint8_t> moved(positions.size(), 0);
    for (const std::uint32_t p : points) {
        if (p < positions.size() && !std::exchange(moved[p], 1)) {
            positions[p] += offset;
        }
    }
    return true;
}

} // namespace tessel

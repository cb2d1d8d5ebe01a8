#include "mesh/intersections.h"

#include "mesh/polygon.h"

#include <algorithm>
#include <cmath>

namespace tessel {

// The exact test runs only for faces that do not lie entirely to one side of the line, seen
// along it. For faces of reasonable shape the margin is far above the rounding of the exact
// test, so it drops none that test would accept; it also drops the far-out slivers that test
// accepts through rounding alone.
std::vector<std::pair<size_t, Vector3>> intersections(const Layer& layer, const Line& line) {
    std::vector<std::pair<size_t, Vector3>> result;
    const Vector3& p0 = line.first;
    const Vector3 dir = line.second - p0;
    const double dx = dir.x, dy = dir.y, dz = dir.z;
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    const bool filtered = length > 0 && std::isfinite(length);

    // Two unit vectors perpendicular to the line: e1 across its smallest component, e2 = d × e1.
    double e1[3] = {0, 0, 0};
    double e2[3] = {0, 0, 0};
    if (filtered) {
        const double d[3] = {dx / length, dy / length, dz / length};
        if (std::abs(d[0]) <= std::abs(d[1]) && std::abs(d[0]) <= std::abs(d[2])) {
            const double l = std::sqrt(d[1] * d[1] + d[2] * d[2]);
            e1[1] = d[2] / l, e1[2] = -d[1] / l;
        } else if (std::abs(d[1]) <= std::abs(d[2])) {
            const double l = std::sqrt(d[0] * d[0] + d[2] * d[2]);
            e1[0] = -d[2] / l, e1[2] = d[0] / l;
        } else {
            const double l = std::sqrt(d[0] * d[0] + d[1] * d[1]);
            e1[0] = d[1] / l, e1[1] = -d[0] / l;
        }
        e2[0] = d[1] * e1[2] - d[2] * e1[1];
        e2[1] = d[2] * e1[0] - d[0] * e1[2];
        e2[2] = d[0] * e1[1] - d[1] * e1[0];
    }
    const auto magnitude = [](const Vector3& v) {
        return std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)});
    };
    const float startMagnitude = magnitude(p0);

    const std::vector<Vector3>& p = layer.positions;
    for (size_t id = 0; id < layer.faces.size(); ++id) {
        const FaceList::Face t = layer.faces[id];
        if (filtered) {
            // The corners' extent across the line, seen along it.
            double uLow = INFINITY, uHigh = -INFINITY, vLow = INFINITY, vHigh = -INFINITY;
            bool unordered = false;
            float largest = startMagnitude;
            for (const std::uint32_t corner : t) {
                const Vector3& q = p[corner];
                const double rx = double(q.x) - p0.x, ry = double(q.y) - p0.y,
                             rz = double(q.z) - p0.z;
                const double u = rx * e1[0] + ry * e1[1] + rz * e1[2];
                const double v = rx * e2[0] + ry * e2[1] + rz * e2[2];
                unordered = unordered || std::isnan(u) || std::isnan(v);
                uLow = std::min(uLow, u), uHigh = std::max(uHigh, u);
                vLow = std::min(vLow, v), vHigh = std::max(vHigh, v);
                largest = std::max(largest, magnitude(q));
            }
            const double margin = 1e-4 * (1.0 + largest);
            // A not-a-number coordinate leaves the face to the exact test.
            if (!unordered &&
                (uLow > margin || uHigh < -margin || vLow > margin || vHigh < -margin)) {
                continue;
            }
        }
        if (auto x = polygon::intersection(p, t, p0, dir)) {
            result.emplace_back(id, *x);
        }
    }
    return result;
}

} // namespace tessel

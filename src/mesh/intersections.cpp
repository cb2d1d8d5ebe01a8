#include "mesh/intersections.h"

#include "mesh/triangle.h"

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
    for (size_t id = 0; id < layer.triangles.size(); ++id) {
        const Triangle& t = layer.triangles[id];
        if (filtered) {
            double u[3];
            double v[3];
            float largest = startMagnitude;
            for (int k = 0; k < 3; ++k) {
                const Vector3& q = p[t[k]];
                const double rx = double(q.x) - p0.x, ry = double(q.y) - p0.y,
                             rz = double(q.z) - p0.z;
                u[k] = rx * e1[0] + ry * e1[1] + rz * e1[2];
                v[k] = rx * e2[0] + ry * e2[1] + rz * e2[2];
                largest = std::max(largest, magnitude(q));
            }
            const double margin = 1e-4 * (1.0 + largest);
            // Comparisons with not-a-number fail, leaving such faces to the exact test.
            if ((u[0] > margin && u[1] > margin && u[2] > margin) ||
                (u[0] < -margin && u[1] < -margin && u[2] < -margin) ||
                (v[0] > margin && v[1] > margin && v[2] > margin) ||
                (v[0] < -margin && v[1] < -margin && v[2] < -margin)) {
                continue;
            }
        }
        if (auto x = triangle::intersection(p[t[0]], p[t[1]], p[t[2]], p0, dir)) {
            result.emplace_back(id, *x);
        }
    }
    return result;
}

} // namespace tessel

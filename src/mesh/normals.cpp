#include "mesh/normals.h"

#include "mesh/polygon.h"
#include "mesh/triangle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tessel {

namespace {

// Twice the face's area along its normal, over the corners that name a point: the fan of
// cross products about the first of them, which is Newell's sum rewritten so that it stays
// exact for faces far from the origin. Zero for fewer than three such corners.
Vector3 areaVectorOfValidCorners(const Vector3* p, std::size_t pointCount, FaceList::Face face) {
    std::size_t k = 0;
    while (k < face.size() && face[k] >= pointCount) {
        ++k;
    }
    if (k == face.size()) {
        return {};
    }
    const Vector3 origin = p[face[k]];
    Vector3 sum;
    Vector3 previous;
    bool hasPrevious = false;
    for (++k; k < face.size(); ++k) {
        if (face[k] >= pointCount) {
            continue;
        }
        const Vector3 edge = p[face[k]] - origin;
        if (hasPrevious) {
            sum += previous.cross(edge);
        }
        previous = edge;
        hasPrevious = true;
    }
    return sum;
}

void addToCorners(Vector3* sums, std::size_t pointCount, FaceList::Face face, const Vector3& area) {
    for (const std::uint32_t id : face) {
        if (id < pointCount) {
            sums[id] += area;
        }
    }
}

} // namespace

std::vector<Vector3> pointNormals(const Layer& layer) {
    const std::size_t n = layer.positions.size();
    std::vector<Vector3> normals(n);
    const Vector3* p = layer.positions.data();
    Vector3* sums = normals.data();

    // Sum each face's area vector into its corners.
    if (layer.faces.uniformCount() == 3) {
        // Triangles, the common large case, straight from the flat corners.
        const std::vector<std::uint32_t>& corners = layer.faces.corners();
        const std::uint32_t* c = corners.data();
        for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
            const std::uint32_t a = c[i], b = c[i + 1], d = c[i + 2];
            // A triangle that lost a corner has no area left.
            if (a >= n || b >= n || d >= n) {
                continue;
            }
            const Vector3 area = (p[b] - p[a]).cross(p[d] - p[a]);
            // Zero unless some component is infinite or not a number (or the three are so large
            // that their sum is): one test in place of three.
            if ((area.x + area.y + area.z) * 0.0f == 0.0f) {
                sums[a] += area;
                sums[b] += area;
                sums[d] += area;
            }
        }
    } else {
        for (const FaceList::Face face : layer.faces) {
            Vector3 area;
            if (face.size() >= 3 &&
                std::all_of(face.begin(), face.end(), [n](std::uint32_t id) { return id < n; })) {
                const Vector3 origin = p[face[0]];
                Vector3 previous = p[face[1]] - origin;
                for (std::size_t k = 2; k < face.size(); ++k) {
                    const Vector3 edge = p[face[k]] - origin;
                    area += previous.cross(edge);
                    previous = edge;
                }
            } else {
                area = areaVectorOfValidCorners(p, n, face);
            }
            if (isFinite(area)) {
                addToCorners(sums, n, face, area);
            }
        }
    }

    // Normalise. A sum so small or so large that its squared length leaves the floats' range is
    // divided by its largest component first.
    for (Vector3& v : normals) {
        if (const float squared = v.squaredLength(); squared > 1e-30f && squared < 1e30f) {
            v = v * (1 / std::sqrt(squared));
            continue;
        }
        const float largest = std::max({std::abs(v.x), std::abs(v.y), std::abs(v.z)});
        if (!(largest > 0) || !std::isfinite(largest)) {
            v = kFallbackNormal;
            continue;
        }
        const Vector3 scaled = v * (1 / largest);
        v = scaled * (1 / scaled.length());
    }
    return normals;
}

std::vector<Vector3> faceNormalLines(const Layer& layer, float length) {
    const std::size_t n = layer.positions.size();
    std::vector<Vector3> lines;
    lines.reserve(2 * layer.faces.size());
    if (layer.faces.uniformCount() == 3) {
        // Triangles straight from the flat corners, with one division per face.
        const Vector3* p = layer.positions.data();
        const std::vector<std::uint32_t>& corners = layer.faces.corners();
        for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
            const std::uint32_t a = corners[i], b = corners[i + 1], c = corners[i + 2];
            if (a >= n || b >= n || c >= n) {
                continue;
            }
            const Vector3 area = (p[b] - p[a]).cross(p[c] - p[a]);
            const float squared = area.squaredLength();
            const Vector3 centre = triangle::centroid(p[a], p[b], p[c]);
            if (!(squared > 0) || !std::isfinite(squared) || !isFinite(centre)) {
                continue;
            }
            lines.push_back(centre);
            lines.push_back(centre + area * (length / std::sqrt(squared)));
        }
        return lines;
    }
    for (const FaceList::Face face : layer.faces) {
        if (std::any_of(face.begin(), face.end(), [n](std::uint32_t id) { return id >= n; })) {
            continue;
        }
        const Vector3 normal = polygon::normal(layer.positions, face);
        const Vector3 centre = polygon::centroid(layer.positions, face);
        if (!isFinite(normal) || !isFinite(centre)) {
            continue;
        }
        const Vector3 tip = centre + normal * length;
        lines.push_back(centre);
        lines.push_back(tip);
    }
    return lines;
}

float normalLineLength(const Layer& layer) {
    const std::size_t n = layer.positions.size();
    const std::vector<Vector3>& p = layer.positions;

    double edgeSum = 0;
    std::size_t edges = 0;
    for (const FaceList::Face face : layer.faces) {
        for (std::size_t k = 0; k < face.size(); ++k) {
            const std::uint32_t a = face[k], b = face[(k + 1) % face.size()];
            if (a < n && b < n) {
                const double dx = double{p[a].x} - p[b].x, dy = double{p[a].y} - p[b].y,
                             dz = double{p[a].z} - p[b].z;
                if (const double d = std::sqrt(dx * dx + dy * dy + dz * dz); std::isfinite(d)) {
                    edgeSum += d;
                    ++edges;
                }
            }
        }
    }

    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    double low[3] = {kInfinity, kInfinity, kInfinity};
    double high[3] = {-kInfinity, -kInfinity, -kInfinity};
    for (const Vector3& q : p) {
        if (isFinite(q)) {
            const double c[3] = {q.x, q.y, q.z};
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], c[i]);
                high[i] = std::max(high[i], c[i]);
            }
        }
    }

    double length = kInfinity;
    if (edges > 0 && edgeSum > 0) {
        length = edgeSum / static_cast<double>(edges);
    }
    if (low[0] <= high[0]) {
        const double dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
        if (const double diagonal = std::sqrt(dx * dx + dy * dy + dz * dz);
            diagonal > 0 && std::isfinite(diagonal)) {
            length = std::min(length, diagonal / 20);
        }
    }
    const auto result = static_cast<float>(length);
    return result > 0 && std::isfinite(result) ? result : 0.1f;
}

} // namespace tessel

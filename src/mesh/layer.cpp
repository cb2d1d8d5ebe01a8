#include "mesh/layer.h"

#include "base/check.h"

#include <sstream>

namespace tessel {

void checkFace(const Layer& layer, size_t face, const char* operation) {
    TESSEL_CHECK(face < layer.faces.size(), operation,
                 "face id " << face << " out of range for " << layer.faces.size());
}

std::vector<std::uint32_t> pointsOfFaces(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<std::uint32_t> result;
    if (faces.empty()) {
        return result;
    }
    std::vector<std::uint8_t> seen(layer.positions.size(), 0);
    for (const std::uint32_t face : faces) {
        checkFace(layer, face, "pointsOfFaces");
        for (const std::uint32_t v : layer.faces[face]) {
            if (!seen[v]) {
                seen[v] = 1;
                result.push_back(v);
            }
        }
    }
    return result;
}

std::string faultOf(const Layer& layer) {
    const size_t pointCount = layer.positions.size();
    // The last face that met each point: a repeat within a face meets its own id.
    std::vector<std::uint32_t> lastFace(pointCount, UINT32_MAX);
    std::ostringstream fault;
    for (size_t f = 0; f < layer.faces.size(); ++f) {
        const FaceList::Face face = layer.faces[f];
        if (face.size() < 3) {
            fault << "face " << f << " has " << face.size() << " corners";
            return fault.str();
        }
        for (const std::uint32_t v : face) {
            if (v >= pointCount) {
                fault << "face " << f << " names point " << v << " of " << pointCount;
                return fault.str();
            }
            if (lastFace[v] == f) {
                fault << "face " << f << " repeats point " << v;
                return fault.str();
            }
            lastFace[v] = static_cast<std::uint32_t>(f);
        }
    }
    return {};
}

Vector3 centroid(const Layer& layer, std::span<const std::uint32_t> points) {
    float x = 0, y = 0, z = 0;
    for (const std::uint32_t id : points) {
        const Vector3& p = layer.positions[id];
        x += p.x;
        y += p.y;
        z += p.z;
    }
    const float n = static_cast<float>(points.size());
    return {x / n, y / n, z / n};
}

PointFlags flagPoints(const Layer& layer, std::span<const std::int64_t> points) {
    const size_t pointCount = layer.positions.size();
    PointFlags flagged{std::vector<std::uint8_t>(pointCount, 0), 0};
    for (const std::int64_t v : points) {
        if (v >= 0 && static_cast<std::uint64_t>(v) < pointCount &&
            flagged.flags[static_cast<size_t>(v)] == 0) {
            flagged.flags[static_cast<size_t>(v)] = 1;
            ++flagged.count;
        }
    }
    return flagged;
}

} // namespace tessel

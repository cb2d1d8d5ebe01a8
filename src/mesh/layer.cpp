#include "mesh/layer.h"

#include "base/check.h"

namespace tessel {

void checkFace(const Layer& layer, size_t face, const char* operation) {
    TESSEL_CHECK(face < layer.triangles.size(), operation,
                 "face id " << face << " out of range for " << layer.triangles.size());
}

std::vector<std::uint32_t> pointsOfFaces(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<std::uint32_t> result;
    if (faces.empty()) {
        return result;
    }
    std::vector<std::uint8_t> seen(layer.positions.size(), 0);
    for (const std::uint32_t face : faces) {
        checkFace(layer, face, "pointsOfFaces");
        for (const std::uint32_t v : layer.triangles[face]) {
            if (!seen[v]) {
                seen[v] = 1;
                result.push_back(v);
            }
        }
    }
    return result;
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

} // namespace tessel

#include "legacy/point.h"

namespace tessel::legacy {

Vector3 centroid(std::span<const PointPtr> points) {
    float x = 0, y = 0, z = 0;
    for (const auto& p : points) {
        x += p->position.x;
        y += p->position.y;
        z += p->position.z;
    }
    const float n = static_cast<float>(points.size());
    return {x / n, y / n, z / n};
}

} // namespace tessel::legacy

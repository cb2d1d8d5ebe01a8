#include "legacy/plane_cut.h"

namespace tessel::legacy {

void splitAlongPlane(Layer& layer, const Vector3& n, const Vector3& o) {
    const size_t count = layer.polygons.size();
    for (size_t i = 0; i < count; ++i) {
        const Polygon& polygon = *layer.polygons[i];
        if (!polygon.isTriangle()) {
            continue;
        }
        const auto& triangle = static_cast<const Triangle&>(polygon);
        const Vector3 r[3] = {triangle.a()->position, triangle.b()->position,
                              triangle.c()->position};
        int crossed[3];
        float at[3];
        int crossings = 0;
        for (int k = 0; k < 3; ++k) {
            const Vector3& a = r[k];
            const Vector3& b = r[(k + 1) % 3];
            const float t = -n.dot(a - o) / n.dot(b - a);
            // Not-a-number fails both tests; an infinity fails one.
            if (t >= 0 && t <= 1) {
                crossed[crossings] = k;
                at[crossings] = t;
                ++crossings;
            }
        }
        if (crossings == 2) {
            layer.splitTriangle(i, {crossed[0], crossed[1]}, {at[0], at[1]});
        }
    }
}

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin) {
    splitAlongPlane(layer, unitNormal, origin);
    mergeCoincidentPoints(layer);
}

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin,
                   PointMergeMemo& memo) {
    const size_t settled = layer.points.size();
    splitAlongPlane(layer, unitNormal, origin);
    mergeCoincidentPoints(layer, settled, memo);
}

} // namespace tessel::legacy

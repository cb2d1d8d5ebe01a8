#include "mesh/plane_cut.h"

#include "mesh/split.h"

namespace tessel {

namespace {

// The edges of face i that the plane crosses, with where; returns how many.
int crossingsOf(const Layer& layer, size_t i, const Vector3& n, const Vector3& o, int crossed[3],
                float at[3]) {
    const Triangle corners = layer.triangles[i];
    const Vector3 r[3] = {layer.positions[corners[0]], layer.positions[corners[1]],
                          layer.positions[corners[2]]};
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
    return crossings;
}

} // namespace

void splitAlongPlane(Layer& layer, const Vector3& n, const Vector3& o) {
    const size_t count = layer.triangles.size();
    for (size_t i = 0; i < count; ++i) {
        int crossed[3];
        float at[3];
        if (crossingsOf(layer, i, n, o, crossed, at) == 2) {
            splitTriangle(layer, i, {crossed[0], crossed[1]}, {at[0], at[1]});
        }
    }
}

size_t facesToSplit(const Layer& layer, const Vector3& n, const Vector3& o) {
    size_t count = 0;
    for (size_t i = 0; i < layer.triangles.size(); ++i) {
        int crossed[3];
        float at[3];
        count += crossingsOf(layer, i, n, o, crossed, at) == 2 ? 1 : 0;
    }
    return count;
}

void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin,
                   PointMergeMemo& memo) {
    const size_t settled = layer.positions.size();
    splitAlongPlane(layer, unitNormal, origin);
    mergeCoincidentPoints(layer, settled, memo);
}

} // namespace tessel

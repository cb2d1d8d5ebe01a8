#pragma once

#include "mesh/layer.h"
#include "mesh/point_merge.h"

namespace tessel {

// Splits every face that exactly two of its edges cross, at the crossing points, in face order;
// the pieces appended are not visited. An edge from a to b crosses at
// t = −(n · (a − o)) / (n · (b − a)) when 0 ≤ t ≤ 1, so a corner on the plane makes both of its
// edges cross (t = 0 and t = 1). Faces crossed by no, one or three edges are left alone.
// `unitNormal` must be normalised.
void splitAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin);
// How many faces splitAlongPlane would split (each into three).
size_t facesToSplit(const Layer& layer, const Vector3& unitNormal, const Vector3& origin);

// The whole cut: splitAlongPlane, then mergeCoincidentPoints so that the points the splits of
// neighbouring faces created on a shared edge become one again. What the merge learns about the
// layer's points stays in `memo` for the next cut of a layer whose points stand where these do.
void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin,
                   PointMergeMemo& memo);

} // namespace tessel

#pragma once

#include "geometry/vector.h"
#include "mesh/layer.h"

#include <vector>

namespace tessel {

// The direction a point's surface faces, for smooth shading: one unit vector per point of the
// layer, in point order. Each is the normalised sum of the area vectors of the faces around the
// point (a face's Newell sum, as polygon::areaVector, so that a large face weighs more than a
// sliver beside it). A point that no face uses, or whose faces cancel out or have no area, gets
// kFallbackNormal: every component is always finite. A corner naming no point is left out of
// its face (the face's other corners still count); a face whose area vector is not finite (a
// point without a finite position) adds nothing. One pass over the corners and one over the
// points.
std::vector<Vector3> pointNormals(const Layer& layer);

// What pointNormals gives a point with no usable direction.
inline constexpr Vector3 kFallbackNormal{0, 0, 1};

// The short lines that show which way each face points, as pairs of positions to draw as
// separate lines: for each face with area, in face order, its centroid (polygon::centroid) and
// the centroid moved `length` along its unit normal (as polygon::normal, up to rounding). Faces
// without area, with a corner naming no point or with a point without a finite position give no
// line.
std::vector<Vector3> faceNormalLines(const Layer& layer, float length);

// A length for faceNormalLines that reads at any scale: the mean length of the faces' edges,
// but at most a twentieth of the diagonal of the box around the points, so that a mesh of few
// large faces still shows short marks and a dense one does not turn into a brush. Always
// positive and finite (0.1 when neither gives a positive finite length).
float normalLineLength(const Layer& layer);

} // namespace tessel

#pragma once

#include "mesh/layer.h"

#include <cstddef>

namespace tessel {

// Cuts the layer along the plane through `origin` with normal `unitNormal` (normalised), so that
// no face lies across it, and the mesh stays as connected as it was.
//
// Each point is placed once: on the plane when n · (p − origin) is within the tolerance of zero
// (1e-6 of the largest coordinate magnitude among the layer's finite points, many times the
// rounding of a point computed onto the plane; a point with a non-finite coordinate counts as on
// the plane), otherwise in front or behind. Only an edge whose two ends lie strictly on opposite
// sides is split, at one new point that both faces along it share; an edge lying in the plane is
// never split. Faces are visited in id order (the pieces appended are not visited):
// - two edges crossed (one corner alone on its side): the face is split on the first crossed edge
//   in corner order, then on the second, into three, as splitTriangle does with two edges;
// - one corner on the plane and the opposite edge crossed: split once, on that edge, into two;
// - anything else (on one side, touching the plane at corners or along an edge): left whole.
// A face's id keeps one of its pieces and the others are appended. A new point is appended the
// first time a face crossing its edge is visited, its edges taken in corner order; it lies on the
// plane along the edge's segment, computed the same way whichever face reaches it first. Applying
// the same cut again changes nothing.
void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin);

// How many faces cutAlongPlane would add to the layer.
size_t facesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin);

} // namespace tessel

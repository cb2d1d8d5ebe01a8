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
// sides is split, at one new point that every face along it shares, triangles and polygons alike;
// an edge lying in the plane is never split. A new point is appended the first time a face
// crossing its edge is visited (faces in id order, a face's edges in corner order); it lies on the
// plane along the edge's segment, computed the same way whichever face reaches it first.
//
// Faces are visited in id order (the pieces appended are not visited). A face with corners on
// one side only, or touching the plane at corners or along edges, is left whole. A face's id keeps
// its first piece and the others are appended in order, after the pieces of the faces before it.
// A triangle:
// - two edges crossed (one corner alone on its side): split on the first crossed edge in corner
//   order, then on the second, into three triangles, as splitTriangle does with two edges;
// - one corner on the plane and the opposite edge crossed: split once, on that edge, into two.
// A face of four or more corners with corners on both sides is split into all its pieces, as
// polygons:
// - its ring is its corners with each crossed edge's new point between the edge's ends; the
//   ring's points on the plane (the new points and the corners on it) are its cut points;
// - the cut points are ordered along the cut line (by their coordinate along n × the face's
//   Newell normal, in double precision; ties, and values without a number taken as 0, in ring
//   order), and two consecutive ones are joined where the face lies on both sides of the line
//   between them: an odd number of the ring edges leaving the cut points before them go toward
//   the front, and an odd number toward the back;
// - the joins split the ring into pieces that keep its order. Each ring edge lies in one piece;
//   the pieces are ordered by the first ring edge they hold (from corner 0) and start at it.
// A convex face gives two pieces, a concave one crossed four or more times all of them; a corner
// on the plane between two sides, or touched by the line from inside the face, is a corner of the
// pieces it joins. A face whose outline folds over itself, so that the joins do not split it into
// pieces each on one side, keeps its ring as one face instead.
//
// Applying the same cut again changes nothing.
void cutAlongPlane(Layer& layer, const Vector3& unitNormal, const Vector3& origin);

// How many faces cutAlongPlane would add to the layer.
size_t facesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin);

// How many triangles cutAlongPlane would add to those that draw the layer (a face of n corners
// counts n − 2): one per crossed edge of each face.
size_t trianglesAddedByCut(const Layer& layer, const Vector3& unitNormal, const Vector3& origin);

} // namespace tessel

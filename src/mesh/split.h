#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <utility>

namespace tessel {

// Cuts a face, which must be a triangle, at P = S + (E − S)·t on its edge k, from corner k (S) to
// corner (k + 1) mod 3 (E); O is the first corner that is neither S nor E. The face's id becomes
// (S, P, O), then (P, E, O) and P are appended. Returns the ids of the two pieces. A face without
// such an O (every corner is S or E) or an edge outside 0…2 is a programming error.
std::pair<size_t, size_t> splitTriangle(Layer& layer, size_t face, int edge, float t);

// The same cut at an existing point P, which must not be a corner of the face.
std::pair<size_t, size_t> splitTriangleAt(Layer& layer, size_t face, int edge, std::uint32_t point);

// Cuts a face at one point on each of two different edges, giving three faces: first edge
// i at t.first, then edge j, found again in whichever piece holds it, at t.second.
void splitTriangle(Layer& layer, size_t face, std::pair<int, int> edges, std::pair<float, float> t);

} // namespace tessel

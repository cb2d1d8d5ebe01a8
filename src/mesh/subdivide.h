#pragma once

#include "mesh/layer.h"

#include <cstdint>

namespace tessel {

// Splits a face of n corners into n triangles around its centroid P, appended as a new point:
// the face's id names (A, B, P), then (B, C, P), (C, D, P) … back to A are appended. Returns P's
// id.
std::uint32_t subdivide(Layer& layer, size_t face);

// Subdivides every face of the layer once, in id order: the same as subdivide() for each id
// below the face count on entry.
void subdivideAll(Layer& layer);

} // namespace tessel

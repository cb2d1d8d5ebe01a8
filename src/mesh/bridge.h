#pragma once

#include "mesh/edge.h"
#include "mesh/fill.h"
#include "mesh/layer.h"

#include <span>

namespace tessel {

// Joins the two closed borders that the listed edges make (borderLoops) with a band of faces,
// each running along its border edges against the face already there, so the surface stays
// wound one way. With n points on the longer loop and m on the other, the band has n faces: m
// four-cornered ones and n − m triangles spread evenly along it, each triangle standing on an
// edge of the longer loop with its tip on the other. Which point of one loop faces which of the
// other is chosen, among the m turns of the pairing, to make the sum of the distances between
// paired points (for a triangle, its edge's first point and its tip) least. Anything but exactly
// two closed borders changes nothing. The band's faces are appended.
BorderEdit bridgeLoops(Layer& layer, std::span<const Edge> edges);

} // namespace tessel

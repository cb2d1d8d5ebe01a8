#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>

namespace tessel {

// Insets the listed faces (stale ids and repeats skipped) by `thickness`, in the faces' planes:
// the faces keep their ids and shrink, and a strip of four-cornered faces, `thickness` wide,
// joins each moved side to where it was.
//
// Face by face (asRegion false), each face with a normal gets n new points, appended in corner
// order, each moved from its corner along the inner bisector of the corner's two sides; its id
// names the inner face over them, and one strip face per side k → k + 1 is appended in corner
// order, (k, k + 1, k + 1', k'): extrude()'s layout. A face without a normal stays as it is.
//
// As a region (asRegion true), only the region's border moves in: a side whose edge the faces
// share with exactly one other listed face, running the other way, and with no other face stays
// shared and does not move. Each border point gets one new point per fan of listed faces around
// it (faces joined through shared sides), appended in the order the faces first use them, moved
// along the fan's bisector, or along the fan's one shared edge where the fan has one (so that a
// border crossing a fold stays in the faces' planes). A strip face (a, b, b', a') is appended per
// border side, face by face in corner order.
//
// The thickness is clamped to 0 from below (not-a-number counts as 0: zero-width strips that a
// later edit widens) and from above to the largest at which no side of an inset face turns
// around (a side shrinks to a point at worst): per face, or over the whole region.
void insetFaces(Layer& layer, std::span<const std::uint32_t> faces, float thickness, bool asRegion);

} // namespace tessel

#pragma once

#include "mesh/edge.h"
#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Dissolving joins faces into one face over their outline: the corners walked along the edges no
// other face of the joined ones walks back along (every edge two of them share goes, listed or
// not), starting from the lowest face's first corner on it. The joined face takes the lowest id
// and the others go (later ids shift down); then the points of the joined faces that no face uses
// any more go (survivors keep their order), such as the point in the middle of four quads joined
// into one. Points left between two edges in a straight run stay. Faces that cannot be joined so
// stay as they are: faces that walk a shared edge the same way (facing apart), or whose outline
// is not one loop through distinct corners (a ring around a hole, faces meeting at a corner only,
// a closed surface), or that would keep fewer than three corners.

// Joins, for every listed edge (either way round; edges naming a missing point or no edge of a
// face are skipped, repeats ignored) that exactly two faces share, those two faces; chains of
// listed edges join all the faces they link (the inner edges of a row of quads give one face).
// Returns the ids the joined faces have afterwards, ascending.
std::vector<std::uint32_t> dissolveEdges(Layer& layer, std::span<const Edge> edges);

// Removes each listed point (ids out of range skipped, repeats ignored) by joining the faces
// around it and leaving it out of their outline: an inner point's faces become the polygon of
// their other corners, a point on the border between two border edges leaves its face, or its
// faces joined, without it. Listed points that share a face are dissolved together, in one
// face. A point no face uses, or whose faces cannot be joined as above, stays as it is. Returns
// the ids the changed faces have afterwards, ascending.
std::vector<std::uint32_t> dissolvePoints(Layer& layer, std::span<const std::int64_t> points);

} // namespace tessel

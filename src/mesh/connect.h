#pragma once

#include "mesh/layer.h"

#include <cstdint>

namespace tessel {

// Why two points could not be joined across a face.
enum class ConnectFault {
    None,
    NoSharedFace, // no face has both points as corners (or a point id is out of range)
    Neighbours,   // every face that has both has them as neighbouring corners: an edge already
    OutsideFace,  // the cut between them would leave the face (a concave one) in every such face
};

// Joins points p and q with an edge inside a face that has both, not as neighbours: the lowest
// such face is cut in two along p–q, both pieces wound as it was. Of the two, whichever of p and
// q comes first in the face's corners being s and the other e, the face keeps its id (and first
// corner) with the corners from its first to s and from e to its last, and the piece from s to e
// is appended. A cut is refused where a piece would face the other way than the face does (the
// straight line between the points runs outside a concave face).
ConnectFault connectPoints(Layer& layer, std::uint32_t p, std::uint32_t q);

} // namespace tessel

#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Reverses the corners of each listed face (stale ids and repeats skipped), keeping its first
// corner first: (a, b, c, d) becomes (a, d, c, b). Flipping twice restores the layer.
void flipFaces(Layer& layer, std::span<const std::uint32_t> faces);

// Makes the listed faces point outward, all of the layer's faces when the list is empty (stale
// ids and repeats skipped), by flipping some of them as flipFaces does. Returns the flipped faces'
// ids, ascending.
//
// The faces fall into pieces: faces joined through edges that exactly two faces of the layer
// use, both of them listed (an edge of three or more faces joins nothing). Walking each piece
// breadth-first from its first listed face, a neighbour that runs along the shared edge the same
// way is flipped, so the piece is wound one way (one that cannot be, such as a Möbius strip,
// keeps what the walk met first). Then a piece is flipped as a whole when Σ (c − C) · A < 0 over
// its faces, c being a face's centroid, A its area vector and C the mean of the piece's face
// centroids. For a closed piece that is six times its signed volume, negative when the faces
// point in; for an open one it says whether its faces, weighted by area, face towards its middle
// rather than away from it. A piece for which it is zero (a flat one) keeps its first face's
// direction.
std::vector<std::uint32_t> orientOutward(Layer& layer, std::span<const std::uint32_t> faces);

} // namespace tessel

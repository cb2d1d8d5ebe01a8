#pragma once

#include "mesh/edge.h"
#include "mesh/edge_topology.h"
#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Why a list of edges cannot be filled or bridged. Border edges are edges of exactly one face.
enum class BorderFault {
    None,
    Empty,       // no edges listed
    NotOnBorder, // an edge of no face (a stale one), or of two faces or more
    Open,        // a point where only one listed edge ends: the edges do not close
    Branching,   // a point where more than two listed edges meet
    AlreadyFace, // Fill: a border is the outline of one face already (its back would be added)
    NotTwoLoops, // Bridge: the edges close into one loop, or more than two
};

// The closed borders that the listed edges (either way round, repeats ignored) make, or why they
// make none: each loop as its points in the order a face closing it walks them, so that it runs
// along each edge against the face already there. Where the faces along one loop disagree (they
// are not wound one way), the way most of them ask for wins. Loops come in the order of their
// lowest listed edge and start at its smaller point. `topology` must be the layer's.
struct BorderLoops {
    std::vector<std::vector<std::uint32_t>> loops;
    BorderFault fault = BorderFault::None;
};
BorderLoops borderLoops(const EdgeTopology& topology, const Layer& layer,
                        std::span<const Edge> edges);

// What a border edit did: the ids of the faces it appended, ascending, or why it did nothing.
struct BorderEdit {
    std::vector<std::uint32_t> faces;
    BorderFault fault = BorderFault::None;
};

// Closes each border the listed edges make with one face over its points, wound against the
// faces along it, so the surface stays wound one way. Every listed edge must belong to a closed
// border (borderLoops); otherwise, or when a border already is the outline of one face, nothing
// changes. The new faces are appended, one per loop in borderLoops' order.
BorderEdit fillBorders(Layer& layer, std::span<const Edge> edges);

} // namespace tessel

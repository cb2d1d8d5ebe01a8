#pragma once

#include "mesh/edge.h"
#include "mesh/edge_topology.h"
#include "mesh/layer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tessel {

// The four-cornered faces a loop cut through an edge crosses, and the edges it splits, in walking
// order: faces[i] lies between edges[i] and edges[i + 1] (edges[0] after the last face when the
// ring is closed), each of them with the two edges opposite. `starts[i]` is the end of edges[i]
// that a cut's position is measured from: the edge's own `a` for the edge the ring was found
// through, and for the others the end joined to it by a side of the faces between, so that
// positions line up across the ring.
//
// The walk goes across faces as the edge ring does (edgeRing) and stops at a face that is not
// four-cornered, after an edge along one face or more than two, and where it closes. It also
// stops before a face it would cross a second time or whose sides it has split, so that every
// face is cut once, through one pair of its sides.
struct LoopCutRing {
    std::vector<std::uint32_t> edges; // ids in the topology
    std::vector<std::uint32_t> starts;
    std::vector<std::uint32_t> faces;
    bool closed = false;
    // The position of the edge the ring was found through in `edges`.
    std::size_t origin = 0;

    // Nothing to cut: the edge has no four-cornered face to cross.
    bool empty() const { return faces.empty(); }
};

// The ring through `edge`; empty when the layer has no such edge or it lies along no
// four-cornered face. `topology` must be the layer's.
LoopCutRing loopCutRing(const EdgeTopology& topology, const Layer& layer, Edge edge);

// Where `cuts` evenly spaced cuts (at least 1) cross each edge, as fractions from its start:
// k / (cuts + 1), all shifted together so that their middle sits at `slide` (0.5 leaves them
// even), and clamped so that none comes closer than kLoopCutMargin to an end. Not-a-number
// slides count as 0.5.
inline constexpr float kLoopCutMargin = 0.02f;
std::vector<float> loopCutPositions(int cuts, float slide);

// Cuts the ring's faces `cuts` times: every ring edge gets `cuts` new points (appended ring edge
// by ring edge, from its start), and each crossed face is split into cuts + 1 four-cornered faces
// across it, winding kept: the first keeps the face's id, the others are appended. A face that is
// not crossed but has a ring edge (the faces where an open ring ends) gets the edge's new points
// among its corners. Nothing changes for an empty ring. `ring` must come from this layer's faces
// as they are.
void loopCut(Layer& layer, const EdgeTopology& topology, const LoopCutRing& ring, int cuts,
             float slide);

// The same from an edge: the cut layer, or nothing when no ring crosses it.
std::optional<Layer> loopCut(const Layer& layer, Edge edge, int cuts, float slide);

} // namespace tessel

#pragma once

#include "mesh/edge.h"
#include "mesh/layer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tessel {

// Which edges, faces and points of a layer touch: every edge once, the faces along each edge and
// the edges and faces around each point, as flat arrays (a start per element, one past the end,
// and the ids one run after another). It describes the layer's faces as they were when it was
// built; a shown layer never changes, so a caller keeps it as long as it keeps the layer.
struct EdgeTopology {
    // Every edge of the layer once, ascending; an edge's id is its index here.
    std::vector<Edge> edges;
    // The faces along edge e, ascending: one on the boundary, two on a manifold surface, more
    // where the surface is not manifold.
    std::vector<std::uint32_t> edgeFaceStarts, edgeFaces;
    // The edges and the faces around point p, ascending. An unused point has none.
    std::vector<std::uint32_t> pointEdgeStarts, pointEdges;
    std::vector<std::uint32_t> pointFaceStarts, pointFaces;
    // For corner i of the faces' corners (FaceList::corners()): the id of the edge from it to the
    // next corner of its face.
    std::vector<std::uint32_t> cornerEdges;

    std::size_t pointCount() const {
        return pointEdgeStarts.empty() ? 0 : pointEdgeStarts.size() - 1;
    }
    std::span<const std::uint32_t> facesOf(std::uint32_t edge) const {
        return {edgeFaces.data() + edgeFaceStarts[edge],
                edgeFaces.data() + edgeFaceStarts[edge + 1]};
    }
    std::span<const std::uint32_t> edgesAround(std::uint32_t point) const {
        return {pointEdges.data() + pointEdgeStarts[point],
                pointEdges.data() + pointEdgeStarts[point + 1]};
    }
    std::span<const std::uint32_t> facesAround(std::uint32_t point) const {
        return {pointFaces.data() + pointFaceStarts[point],
                pointFaces.data() + pointFaceStarts[point + 1]};
    }
    // The id of the edge, or nothing when no face has it (also for points out of range).
    std::optional<std::uint32_t> find(Edge edge) const;
};

// The topology of the layer's faces: a few passes over the corners, counting sorts, no hashing.
// It depends on the faces and the number of points only, so it stays valid across edits that
// move points. The layer must keep its invariants (faultOf empty).
EdgeTopology edgeTopology(const Layer& layer);

// The edge loop through `edge`, in walking order: from the far end beyond edge.a, through the
// edge, to the far end beyond edge.b; a closed loop starts with the edge and goes on beyond b.
// At each end point the loop goes on through the edge opposite the one it arrived by when the
// point has exactly four edges, each along two faces, and four faces, all four-cornered (the
// opposite edge shares no face with the arriving one); it stops at any other point (a pole, a
// triangle or n-gon, the boundary) and where it closes. A boundary edge walks along the
// boundary instead, through points with exactly three edges of which two are on the boundary.
// Empty when the layer has no such edge. `topology` must be the layer's.
std::vector<Edge> edgeLoop(const EdgeTopology& topology, const Layer& layer, Edge edge);

// The edge ring through `edge`: across each four-cornered face along an edge to the edge
// opposite, and on across the other face of that edge. A side stops at a face that is not
// four-cornered, after an edge along one face or more than two, and where the ring closes. In
// walking order: from the far end across the edge's second face (faces in id order), through the
// edge, to the far end across its first; a closed ring starts with the edge and goes on across
// its first face. An edge along more than two faces is its own ring. Empty when the layer has no
// such edge. `topology` must be the layer's.
std::vector<Edge> edgeRing(const EdgeTopology& topology, const Layer& layer, Edge edge);

// Selection conversions. Results are ascending without repeats; ids out of range, and edges the
// layer does not have, are skipped. `topology` must be the layer's.
//
// The edges whose two points are both listed.
std::vector<Edge> pointsToEdges(const EdgeTopology& topology, std::span<const std::int64_t> points);
// The faces whose corners are all listed.
std::vector<std::uint32_t> pointsToFaces(const EdgeTopology& topology, const Layer& layer,
                                         std::span<const std::int64_t> points);
// The points of the listed edges.
std::vector<std::int64_t> edgesToPoints(const EdgeTopology& topology, std::span<const Edge> edges);
// The faces whose edges are all listed.
std::vector<std::uint32_t> edgesToFaces(const EdgeTopology& topology, const Layer& layer,
                                        std::span<const Edge> edges);
// The corners of the listed faces.
std::vector<std::int64_t> facesToPoints(const Layer& layer, std::span<const std::uint32_t> faces);
// The edges of the listed faces.
std::vector<Edge> facesToEdges(const EdgeTopology& topology, const Layer& layer,
                               std::span<const std::uint32_t> faces);

} // namespace tessel

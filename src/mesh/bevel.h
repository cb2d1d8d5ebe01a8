#pragma once

#include "geometry/vector.h"
#include "mesh/edge.h"
#include "mesh/edge_topology.h"
#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// The most segments a bevel's rounded profile takes.
inline constexpr int kMaxBevelSegments = 32;

// A bevel of a layer before its width is chosen: the bevelled faces, and where every point lies
// for any width. Planning walks the faces around each bevelled point once; placing the points
// for a width is one pass over them, so a preview that follows the pointer plans once and places
// many times.
//
// Edge bevel: each bevelled edge becomes a band of `segments` four-cornered faces, its two faces
// pulled in by the width (measured square to the edge, in each face's plane). At an end where it
// meets edges that are not bevelled, the band's end points slide along the edges beside it; where
// bevelled edges meet, the faces between them meet at the corner of their offset sides, and a
// corner patch closes the hole: one face for one segment, a grid of four-cornered faces around a
// centre (a point, or a face for odd segment counts) for more, its inner points on the sphere the
// profiles lie on when they lie on one. An end where one bevelled edge meets two other faces has
// no patch: the face beyond takes the profile. Segments above one round the profile into a
// quarter ellipse (a quarter circle where the faces meet square).
//
// Point bevel: each bevelled point is cut off by a face through new points on its edges, the
// width along each edge from it; with more segments each face around it ends in a rounded
// profile and a patch as above rounds the cut.
//
// Only points whose faces form one fan (closed around them, or open at a border) are bevelled,
// and only edges along two faces whose ends are such points; a closed fan needs three faces.
// Others are skipped. Faces keep their ids and winding; the bevel's faces are appended, band by
// band (edges in the order given) then patch by patch. Points that no face uses any more are
// removed (the others keep their order) and the new points appended.
struct BevelPlan {
    // A point the bevel adds: at point `from`'s position moved by the width times `perWidth`.
    struct Added {
        std::uint32_t from;
        Vector3 perWidth;
    };
    // A rounded corner patch: its border and inner points (ids in the bevelled layer) and its
    // centre (moved from `from` like an added point), which the inner points are pushed out
    // from onto the sphere of the border when the border lies on one.
    struct Patch {
        std::uint32_t from;
        Vector3 centrePerWidth;
        std::vector<std::uint32_t> border;
        std::vector<std::uint32_t> inner;
    };

    // The faces of the bevelled layer.
    FaceList faces;
    // The layer's points that stay, ascending: the bevelled layer's first points.
    std::vector<std::uint32_t> kept;
    // The points after them.
    std::vector<Added> added;
    std::vector<Patch> patches;
    // The largest width at which no side of a face turns around (a side shrinks to a point at
    // worst).
    float maxWidth = 0;
    // The bevelled edges or points (after skipping those that cannot be).
    std::size_t bevelled = 0;

    bool empty() const { return bevelled == 0; }
};

// Plans the bevel of the listed edges (edges the layer does not have, and repeats, are skipped)
// with `segments` (clamped to 1 … kMaxBevelSegments). `topology` must be the layer's.
BevelPlan planEdgeBevel(const Layer& layer, const EdgeTopology& topology,
                        std::span<const Edge> edges, int segments);
// Plans the bevel of the listed points (ids out of range and repeats skipped).
BevelPlan planPointBevel(const Layer& layer, const EdgeTopology& topology,
                         std::span<const std::int64_t> points, int segments);

// The width a plan applies: `width` clamped to 0 … maxWidth (not-a-number counts as 0).
float bevelWidth(const BevelPlan& plan, float width);
// Sets `out` to the bevelled layer at bevelWidth(plan, width). `layer` must be the one planned
// on; `out` may be it. With an empty plan or a width of 0 the layer is left as it is; whether it
// changed.
bool applyBevel(const Layer& layer, const BevelPlan& plan, float width, Layer& out);

// Plans and applies at once; whether the layer changed.
bool bevelEdges(Layer& layer, std::span<const Edge> edges, float width, int segments);
bool bevelPoints(Layer& layer, std::span<const std::int64_t> points, float width, int segments);

} // namespace tessel

#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// The listed faces that exist, each once, in the order first listed: how the face edits read a
// selection (stale ids and repeats are no error).
std::vector<std::uint32_t> distinctFaces(const Layer& layer, std::span<const std::uint32_t> faces);

// Marks a side that has no mate.
inline constexpr std::uint32_t kNoSide = UINT32_MAX;

// How a set of faces meets itself. Side k of a face runs from its corner k to its corner k + 1
// (the last back to the first); the region's sides are numbered face after face, so that side
// starts[i] + k is side k of faces[i], and corners[s] is the point side s starts from.
struct Region {
    // The faces, as distinctFaces gives them.
    std::vector<std::uint32_t> faces;
    // Where each face's sides start in the numbering, and one entry past the last.
    std::vector<std::uint32_t> starts;
    // The point each side starts from.
    std::vector<std::uint32_t> corners;
    // The side that follows each side in its face.
    std::vector<std::uint32_t> nexts;
    // The other side on the same edge when exactly two faces of the whole layer use that edge
    // and both are in the region; else kNoSide.
    std::vector<std::uint32_t> mates;
    // Per point of the layer: 1 when a face outside the region uses it (empty from faceByFace).
    std::vector<std::uint8_t> usedOutside;

    std::uint32_t sideCount() const { return static_cast<std::uint32_t>(corners.size()); }
    // Whether side s lies inside the region: its edge joins two of the region's faces that run
    // along it in opposite directions, as neighbours in one consistently wound surface do.
    bool inner(std::uint32_t s) const {
        return mates[s] != kNoSide && corners[mates[s]] == corners[nexts[s]];
    }
};

// The region of the listed faces (read as distinctFaces reads them). Costs one pass over the
// layer's faces and a sort of the region's sides.
Region regionOf(const Layer& layer, std::span<const std::uint32_t> faces);

// The listed faces (read as distinctFaces reads them) each on its own: every side a border, none
// mated. Costs the faces' corners only.
Region faceByFace(const Layer& layer, std::span<const std::uint32_t> faces);

// An upper bound on the triangles that an edit adding one four-cornered face per side of each
// listed face (extrudeRegion, insetFaces) adds: two per side.
std::size_t sideTrianglesBound(const Layer& layer, std::span<const std::uint32_t> faces);
// The triangles that draw the listed faces (what duplicateFaces adds for them): n − 2 for each
// face of n corners; ids out of range count nothing, repeats count again.
std::size_t trianglesOfFaces(const Layer& layer, std::span<const std::uint32_t> faces);

} // namespace tessel

#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tessel {

// What a weld did: the new point's id (nothing when it left the layer again, or nothing was
// listed) and the remap table of the points as they were before (the new point is the old count).
struct Welded {
    std::optional<std::uint32_t> point;
    std::vector<std::uint32_t> remap;
};

// Merges the listed points (repeats allowed) into one new point at `position`, appended last:
// every corner holding a listed point holds the new point instead, and a face keeps only the first
// of its corners that hold it. Then these go, survivors keeping their order: faces left with
// fewer than three corners (they collapsed), and every point no remaining face uses (also points
// that were unused before). Returns the new point's id, or nothing when no face uses it (every face
// around it collapsed) or the list is empty (then nothing changes). Ids must be valid.
Welded weld(Layer& layer, std::span<const std::uint32_t> points, const Vector3& position);
// The same at the mean of the listed points' positions, summed in list order.
Welded weld(Layer& layer, std::span<const std::uint32_t> points);

// Sends every corner holding point v to point into[v] (one entry per point: v itself for a point
// that stays, and a point that receives corners must stay). A face then keeps only the first of
// its corners holding one point, and goes when fewer than three corners are left. Then these
// points go, survivors keeping their order: those sent elsewhere, and those no face uses any more
// (with `keepLoose`, only those some face used before; else every one). Creases follow the points.
// Returns the points' remap table.
std::vector<std::uint32_t> mergePoints(Layer& layer, std::span<const std::uint32_t> into,
                                       bool keepLoose);

} // namespace tessel

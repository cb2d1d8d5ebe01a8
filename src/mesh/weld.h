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

} // namespace tessel

#pragma once

#include "mesh/edge.h"
#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Removes the listed faces (ids may repeat, in any order), then those of their corners that no
// remaining face uses. Survivors keep their order. Returns the points' remap table: old id to
// new id, or kRemoved. Face ids must be valid.
std::vector<std::uint32_t> removeFaces(Layer& layer, std::span<const std::uint32_t> faces);

// Removes the listed points (ids out of range skipped, repeats ignored) and every face using any
// of them. The other points stay, also those no face uses any more; survivors keep their order.
// Returns the points' remap table.
std::vector<std::uint32_t> removePoints(Layer& layer, std::span<const std::int64_t> points);

// Removes every face that has one of the listed edges between neighbouring corners (either way
// round; edges no face has are skipped), then those of their corners that no remaining face uses,
// as removeFaces does. Returns the points' remap table.
std::vector<std::uint32_t> removeEdges(Layer& layer, std::span<const Edge> edges);

// Removes the listed faces (ids out of range skipped, repeats ignored) and keeps every point, also
// those no face uses any more. Survivors keep their order. Returns how many faces went.
size_t removeFacesOnly(Layer& layer, std::span<const std::uint32_t> faces);

// Keeps the elements whose flag is set, in order, and returns the remap table of the ids.
template <class T>
std::vector<std::uint32_t> compact(std::vector<T>& list, const std::vector<std::uint8_t>& keep) {
    std::vector<std::uint32_t> remap(list.size(), kRemoved);
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (keep[i]) {
            remap[i] = static_cast<std::uint32_t>(kept);
            if (kept != i) {
                list[kept] = std::move(list[i]);
            }
            ++kept;
        }
    }
    list.resize(kept);
    return remap;
}

// Rewrites every corner through a points' remap table; no corner may name a removed point. The
// creases follow the table too (remapCreases).
void remapCorners(Layer& layer, const std::vector<std::uint32_t>& remap);

} // namespace tessel

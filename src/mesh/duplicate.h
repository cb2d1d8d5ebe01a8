#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// The ids duplicateFaces gave the copies.
struct Duplicated {
    std::vector<std::uint32_t> faces;
    std::vector<std::uint32_t> points;
};

// Appends a copy of each listed face (stale ids and repeats skipped), in list order, over copies
// of its points, appended in the order the faces first use them: the copies share points with
// each other as the originals do, and none with the originals; their edges are creased as the
// originals'. Returns the new ids in that order.
Duplicated duplicateFaces(Layer& layer, std::span<const std::uint32_t> faces);

} // namespace tessel

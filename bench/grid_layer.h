#pragma once

#include "grid_sizes.h"
#include "mesh/model.h"

#include <cstdint>
#include <map>

namespace tessel {

// The QuadGenerator grid layer with that many triangles, built once per size and shared by every
// benchmark; a benchmark that edits it works on a copy.
inline const Layer& gridLayer(std::int64_t triangles) {
    static std::map<std::int64_t, LayerPtr> grids;
    LayerPtr& layer = grids[triangles];
    if (!layer) {
        const int n = grid_sizes::segmentsFor(triangles);
        layer = QuadGenerator(n, n).generateLayer();
    }
    return *layer;
}

} // namespace tessel

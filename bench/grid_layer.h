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

// The grid of four-cornered faces with that many faces, built once per size.
inline const Layer& quadGridLayer(std::int64_t faces) {
    static std::map<std::int64_t, LayerPtr> grids;
    LayerPtr& layer = grids[faces];
    if (!layer) {
        const int n = grid_sizes::segmentsFor(faces);
        layer = QuadGenerator(n, n).generateQuadLayer();
    }
    return *layer;
}

} // namespace tessel

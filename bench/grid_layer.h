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

// The same grid with one four-cornered face per cell, (i, j), (i + 1, j), (i + 1, j + 1),
// (i, j + 1), built once per size.
inline const Layer& quadGridLayer(std::int64_t faces) {
    static std::map<std::int64_t, LayerPtr> grids;
    LayerPtr& layer = grids[faces];
    if (!layer) {
        const int n = grid_sizes::segmentsFor(faces);
        layer = QuadGenerator(n, n).generateLayer();
        const auto row = static_cast<std::uint32_t>(n + 1);
        std::vector<std::uint32_t> corners;
        for (std::uint32_t j = 0; j < static_cast<std::uint32_t>(n); ++j) {
            for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(n); ++i) {
                const std::uint32_t k = j * row + i;
                corners.insert(corners.end(), {k, k + 1, k + row + 1, k + row});
            }
        }
        layer->faces = FaceList(std::move(corners), 4);
    }
    return *layer;
}

} // namespace tessel

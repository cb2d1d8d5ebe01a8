#pragma once

// What the window tests demand of every layer they read back from the editor: no face repeats a
// corner, and its draw lists, with the editor's selections, name only the layer's own points, in
// whole faces, and take every face and every point exactly once.
#include "editor/render_index_data.h"
#include "mesh/layer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tessel::testing {

inline std::optional<std::string> layerFault(const Layer& layer,
                                             std::span<const std::uint32_t> faces,
                                             std::span<const std::int64_t> points) {
    const std::string size = " (" + std::to_string(layer.triangles.size()) + " faces, " +
                             std::to_string(layer.positions.size()) + " points)";
    for (size_t f = 0; f < layer.triangles.size(); ++f) {
        const Triangle& t = layer.triangles[f];
        if (t[0] == t[1] || t[1] == t[2] || t[2] == t[0]) {
            return "face " + std::to_string(f) + " repeats a corner" + size;
        }
    }
    const IndexData triangles = handleIndexDataForTriangles(layer, true, faces);
    const IndexData dots = handleIndexDataForPoints(layer, true, points);
    for (const auto* list :
         {&triangles.ordinary, &triangles.selected, &dots.ordinary, &dots.selected}) {
        for (const std::uint32_t i : *list) {
            if (i >= layer.positions.size()) {
                return "a draw list names point " + std::to_string(i) + size;
            }
        }
    }
    if (triangles.ordinary.size() % 3 != 0 || triangles.selected.size() % 3 != 0 ||
        triangles.ordinary.size() + triangles.selected.size() != 3 * layer.triangles.size()) {
        return "the triangle lists do not hold every face once" + size;
    }
    if (dots.ordinary.size() + dots.selected.size() != layer.positions.size()) {
        return "the point lists do not hold every point once" + size;
    }
    return std::nullopt;
}

} // namespace tessel::testing

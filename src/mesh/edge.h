#pragma once

#include <compare>
#include <cstdint>
#include <utility>
#include <vector>

namespace tessel {

struct Layer;

// An edge of a layer: the two point ids it joins, the smaller first. Two faces share an edge when
// both have these points as neighbouring corners. Like point ids, edges name points by id and
// are not renumbered by edits.
struct Edge {
    std::uint32_t a = 0;
    std::uint32_t b = 0;

    // The edge between two points, whichever way round they are given.
    static Edge between(std::uint32_t p, std::uint32_t q) {
        return p < q ? Edge{p, q} : Edge{q, p};
    }
    friend auto operator<=>(const Edge&, const Edge&) = default;
};

// Every edge of the layer's faces, each once, ascending.
std::vector<Edge> edgesOf(const Layer& layer);

} // namespace tessel

#pragma once

// The invariant every layer keeps, checked alike by the tests, the fuzzers and the event sessions.
#include "mesh/layer.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tessel::testing {

// Whether a face names a point the layer does not have or repeats a corner.
inline bool hasBrokenFace(const Layer& layer) {
    return std::ranges::any_of(layer.triangles, [&](const Triangle& t) {
        return std::max({t[0], t[1], t[2]}) >= layer.positions.size() || t[0] == t[1] ||
               t[1] == t[2] || t[2] == t[0];
    });
}

// How many edges no other face walks back along (or more than one walks the same way): none for
// a closed surface with every face wound the same way, the border's for an open one.
inline size_t openEdges(const Layer& layer) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    for (const Triangle& t : layer.triangles) {
        for (size_t k = 0; k < 3; ++k) {
            ++edges[{t[k], t[(k + 1) % 3]}];
        }
    }
    return static_cast<size_t>(std::ranges::count_if(edges, [&](const auto& e) {
        const auto back = edges.find({e.first.second, e.first.first});
        return e.second != 1 || back == edges.end() || back->second != 1;
    }));
}

} // namespace tessel::testing

#pragma once

// The invariant every layer keeps, checked alike by the tests, the fuzzers and the event sessions.
#include "mesh/layer.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tessel::testing {

// Whether a face has fewer than three corners, names a point the layer does not have or repeats
// a corner.
inline bool hasBrokenFace(const Layer& layer) { return !faultOf(layer).empty(); }

// How many edges no other face walks back along (or more than one walks the same way): none for
// a closed surface with every face wound the same way, the border's for an open one.
inline size_t openEdges(const Layer& layer) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> edges;
    for (const FaceList::Face face : layer.faces) {
        for (size_t k = 0; k < face.size(); ++k) {
            ++edges[{face[k], face[(k + 1) % face.size()]}];
        }
    }
    return static_cast<size_t>(std::ranges::count_if(edges, [&](const auto& e) {
        const auto back = edges.find({e.first.second, e.first.first});
        return e.second != 1 || back == edges.end() || back->second != 1;
    }));
}

} // namespace tessel::testing

#pragma once

// The invariant every layer keeps, checked alike by the tests, the fuzzers and the event sessions.
#include "mesh/layer.h"

#include <algorithm>

namespace tessel::testing {

// Whether a face names a point the layer does not have or repeats a corner.
inline bool hasBrokenFace(const Layer& layer) {
    return std::ranges::any_of(layer.triangles, [&](const Triangle& t) {
        return std::max({t[0], t[1], t[2]}) >= layer.positions.size() || t[0] == t[1] ||
               t[1] == t[2] || t[2] == t[0];
    });
}

} // namespace tessel::testing

#pragma once

#include "mesh/layer.h"

#include <optional>
#include <utility>
#include <vector>

namespace tessel {

// Every face the ray hits (triangle::intersection), ascending by id, with the hit point. A face
// whose corners all lie to one side of the line, farther from it than 1e-4 · (1 + the largest
// coordinate magnitude of the corners and the ray's start), is skipped without that test: far
// from the origin a sliver can pass the float test through rounding alone, and picking must not
// take it.
std::vector<std::pair<size_t, Vector3>> intersections(const Layer& layer, const Line& line);

} // namespace tessel

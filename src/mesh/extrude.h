#pragma once

#include "mesh/layer.h"

namespace tessel {

// Pulls a face out along its normal by `distance` as a prism without bottom. A triangle: its id
// names the cap (A', B', C'), six triangles of side are appended, then the three new points.
// A face of n > 3 corners: its id names the cap (its corners moved, appended as new points in
// corner order), and one four-cornered side per edge k → k + 1 is appended, (k, k + 1, k + 1',
// k'), in corner order.
// A face without a normal (no area) or whose moved corners would not have finite positions is
// left as it is, and false returned.
bool extrude(Layer& layer, size_t face, float distance);

} // namespace tessel

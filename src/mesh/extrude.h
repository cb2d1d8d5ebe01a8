#pragma once

#include "mesh/layer.h"

namespace tessel {

// Pulls a face out along its normal by `distance` as a prism without bottom: the face's id
// names the cap (A', B', C'), six sides are appended, then the three new points A', B', C'.
// A face without a normal (no area) or whose moved corners would not have finite positions is
// left as it is, and false returned.
bool extrude(Layer& layer, size_t face, float distance);

} // namespace tessel

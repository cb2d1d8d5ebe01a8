#pragma once

#include "mesh/layer.h"

namespace tessel {

// Pulls a face out along its normal by `distance` as a prism without bottom: the face's id
// names the cap (A', B', C'), six sides are appended, then the three new points A', B', C'.
// A degenerate face has no normal: its new points get not-a-number positions.
void extrude(Layer& layer, size_t face, float distance);

} // namespace tessel

#pragma once

#include "legacy/layer.h"

#include <cstdint>

namespace tessel::legacy {

// A flat grid of H × V cells in z = 0 spanning −0.5 … 0.5: (H + 1)(V + 1) points row by row
// and two counter-clockwise triangles per cell.
LayerPtr gridLayer(std::int64_t horizontalSegmentsNum, std::int64_t verticalSegmentsNum);
// The 2-unit cube centred on the origin: 8 shared corners, 12 triangles.
LayerPtr cubeLayer();

} // namespace tessel::legacy

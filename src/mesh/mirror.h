#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Appends a mirror image of the listed faces (all faces when the list is empty; ids out of range
// skipped, repeats ignored) across the plane through the origin normal to coordinate axis `axis`
// (0, 1, 2 for x, y, z; any other value changes nothing): the points they use are copied with that
// coordinate negated, appended in the order first met going through the faces' corners, and each
// face is appended in id order with its corners reversed (c0, cn−1, …, c1), so that the copy faces
// outward as the original does. With `weldSeam`, a point within `seamTolerance` of the plane
// (|coordinate| ≤ tolerance) is not copied: the copy shares it as it is, and a face all of whose
// corners are such points gets no copy. Copied edges are creased as their originals. Returns the
// ids of the appended faces.
std::vector<std::uint32_t> mirrorFaces(Layer& layer, std::span<const std::uint32_t> faces, int axis,
                                       bool weldSeam, float seamTolerance);

} // namespace tessel

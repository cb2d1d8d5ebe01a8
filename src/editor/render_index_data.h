#pragma once

#include "mesh/layer.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tessel {

// Index lists of one layer for drawing, split into ordinary and selected primitives. Every entry
// is a point id of the layer (32-bit, so layers of any size draw).
struct IndexData {
    std::vector<std::uint32_t> ordinary;
    std::vector<std::uint32_t> selected;
};

// Three entries per face, in face order. A face is selected when isMeshSelected and its id is in
// selectedFacesIds; selection ids out of range are ignored.
IndexData handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                      std::span<const std::uint32_t> selectedFacesIds);
// One entry per point, in order; selected when isMeshSelected and its id is in selectedPointsIds.
IndexData handleIndexDataForPoints(const Layer& layer, bool isMeshSelected,
                                   std::span<const std::int64_t> selectedPointsIds);
// The same two operations writing into `out` (emptied first), so that a caller drawing every frame
// reuses the lists' storage.
void handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                 std::span<const std::uint32_t> selectedFacesIds, IndexData& out);
void handleIndexDataForPoints(const Layer& layer, bool isMeshSelected,
                              std::span<const std::int64_t> selectedPointsIds, IndexData& out);

} // namespace tessel

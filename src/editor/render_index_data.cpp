// Index lists for drawing a layer, rebuilt once per frame for every drawn layer: linear in
// points plus faces, with selection membership through a bitmap.

#include "editor/render_index_data.h"

#include "base/check.h"
#include "mesh/polygon.h"

#include <cstdint>
#include <cstring>
#include <numeric>
#include <type_traits>

namespace tessel {

namespace {

// Marks the ids of `ids` that are below `size`; anything else (stale ids after an edit) is
// dropped. The storage is reused from call to call.
template <class Id>
const std::vector<std::uint8_t>& membership(std::span<const Id> ids, size_t size) {
    thread_local std::vector<std::uint8_t> bits;
    bits.assign(size, 0);
    for (const Id id : ids) {
        bool inRange = static_cast<std::uint64_t>(id) < size;
        if constexpr (std::is_signed_v<Id>) {
            inRange = inRange && id >= 0;
        }
        if (inRange) {
            bits[static_cast<size_t>(id)] = 1;
        }
    }
    return bits;
}

} // namespace

void handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                 std::span<const std::uint32_t> selectedFacesIds, IndexData& out) {
    out.selected.clear();
    const FaceList& faces = layer.faces;
    const bool anySelected = isMeshSelected && !selectedFacesIds.empty();
    if (faces.allTriangles() && !anySelected) {
        // The corners as they are stored.
        out.ordinary = faces.corners();
        return;
    }
    out.ordinary.clear();
    out.ordinary.reserve(3 * faces.triangleCount());
    const std::vector<std::uint8_t>& selected =
        membership(anySelected ? selectedFacesIds : std::span<const std::uint32_t>(), faces.size());
    thread_local std::vector<Triangle> pieces;
    for (size_t f = 0; f < faces.size(); ++f) {
        std::vector<std::uint32_t>& list = selected[f] ? out.selected : out.ordinary;
        pieces.clear();
        polygon::triangulate(layer.positions, faces[f], pieces);
        for (const Triangle& t : pieces) {
            list.insert(list.end(), t.begin(), t.end());
        }
    }
}

void handleIndexDataForPoints(const Layer& layer, bool isMeshSelected,
                              std::span<const std::int64_t> selectedPointsIds, IndexData& out) {
    const size_t n = layer.positions.size();
    TESSEL_CHECK(n <= UINT32_MAX, "handleIndexDataForPoints",
                 "a layer of " << n << " points cannot be indexed in 32 bits");
    out.selected.clear();
    if (!isMeshSelected || selectedPointsIds.empty()) {
        out.ordinary.resize(n);
        std::iota(out.ordinary.begin(), out.ordinary.end(), std::uint32_t{0});
        return;
    }
    out.ordinary.clear();
    out.ordinary.reserve(n);
    const std::vector<std::uint8_t>& selected = membership(selectedPointsIds, n);
    for (size_t i = 0; i < n; ++i) {
        (selected[i] ? out.selected : out.ordinary).push_back(static_cast<std::uint32_t>(i));
    }
}

IndexData handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                      std::span<const std::uint32_t> selectedFacesIds) {
    IndexData data;
    handleIndexDataForTriangles(layer, isMeshSelected, selectedFacesIds, data);
    return data;
}

IndexData handleIndexDataForPoints(const Layer& layer, bool isMeshSelected,
                                   std::span<const std::int64_t> selectedPointsIds) {
    IndexData data;
    handleIndexDataForPoints(layer, isMeshSelected, selectedPointsIds, data);
    return data;
}

} // namespace tessel

// Index lists for drawing a layer, rebuilt every frame for every drawn layer. Both operations are
// linear in points plus polygons: vertices are found through the points' index hints and
// selection membership through a bitmap, never by scanning.

#include "editor/render_index_data.h"

#include "base/check.h"

#include <cstdint>
#include <limits>
#include <numeric>
#include <type_traits>

namespace tessel {

namespace {

constexpr std::uint32_t notInLayer = std::numeric_limits<std::uint32_t>::max();

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

void checkIndexable(const Layer& layer, const char* operation) {
    // The largest id must stay below the "not in layer" marker.
    TESSEL_CHECK(layer.points.size() < notInLayer, operation,
                 "a layer of " << layer.points.size() << " points cannot be indexed in 32 bits");
}

} // namespace

void handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                 std::span<const std::uint32_t> selectedFacesIds, IndexData& out) {
    out.ordinary.clear();
    out.selected.clear();
    const std::vector<PolygonPtr>& polygons = layer.polygons;
    if (polygons.empty()) {
        return;
    }
    checkIndexable(layer, "handleIndexDataForTriangles");
    const std::vector<PointPtr>& points = layer.points;
    const size_t n = points.size();

    // Last to first, so a point listed twice keeps the id of its first occurrence.
    for (size_t i = n; i-- > 0;) {
        points[i]->indexHint_ = static_cast<std::uint32_t>(i);
    }
    const auto idOf = [&points, n](const PointPtr& vertex) {
        if (!vertex) {
            return notInLayer;
        }
        // A hint left over from another layer must not be trusted.
        const std::uint32_t hint = vertex->indexHint_;
        return hint < n && points[hint] == vertex ? hint : notInLayer;
    };

    const bool anySelected = isMeshSelected && !selectedFacesIds.empty();
    const std::vector<std::uint8_t>* selected =
        anySelected ? &membership(selectedFacesIds, polygons.size()) : nullptr;
    out.ordinary.reserve(3 * polygons.size());

    constexpr size_t prefetchDistance = 16;
    for (size_t f = 0; f < polygons.size(); ++f) {
        // Faces are separate heap objects the hardware cannot predict; ask for them early.
        if (f + prefetchDistance < polygons.size()) {
            __builtin_prefetch(polygons[f + prefetchDistance].get());
        }
        const Polygon* polygon = polygons[f].get();
        if (!polygon) {
            continue;
        }
        std::vector<std::uint32_t>& list =
            selected && (*selected)[f] ? out.selected : out.ordinary;
        const auto append = [&list](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
            if (a != notInLayer && b != notInLayer && c != notInLayer) {
                list.push_back(a);
                list.push_back(b);
                list.push_back(c);
            }
        };
        if (polygon->isTriangle()) {
            // Triangles are nearly every face: read their corners without a virtual call.
            const auto& triangle = static_cast<const Triangle&>(*polygon);
            append(idOf(triangle.a()), idOf(triangle.b()), idOf(triangle.c()));
        } else {
            const std::span<const PointPtr> verts = polygon->verts();
            const std::uint32_t a = idOf(verts[0]);
            const std::uint32_t c = idOf(verts[2]);
            append(a, idOf(verts[1]), c);
            append(a, c, idOf(verts[3]));
        }
    }
}

void handleIndexDataForPoints(const Layer& layer, bool isMeshSelected,
                              std::span<const std::int64_t> selectedPointsIds, IndexData& out) {
    checkIndexable(layer, "handleIndexDataForPoints");
    const size_t n = layer.points.size();
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

void fillPositions(const Layer& layer, std::vector<float>& out) {
    const std::vector<PointPtr>& points = layer.points;
    out.resize(3 * points.size());
    float* p = out.data();
    for (const PointPtr& point : points) {
        *p++ = point->position.x;
        *p++ = point->position.y;
        *p++ = point->position.z;
    }
}

} // namespace tessel

#pragma once

#include "mesh/edge.h"
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

// What drawing needs of a layer's faces whatever the selection depends on the layer alone; a
// caller drawing it over many frames builds it once.
//
// The faces cut into triangles (polygon::triangulate), three point ids each, face by face; face
// f's triangles start at triangle start(f) − 2f. Empty when every face is a triangle: the layer's
// corners are that list (see triangleList).
std::vector<std::uint32_t> triangulation(const Layer& layer);
// The same, given `before`, the triangulation of `previous`, a layer with the same faces and as
// many points: only the faces with a corner whose position differs (in any bit) are cut again,
// the others keep their triangles from `before`, which are what they would be cut into.
std::vector<std::uint32_t> triangulation(const Layer& layer, const Layer& previous,
                                         std::span<const std::uint32_t> before);
// The layer's triangle list: its corners when every face is a triangle, else `triangulated`,
// which must be triangulation(layer).
inline std::span<const std::uint32_t> triangleList(const Layer& layer,
                                                   const std::vector<std::uint32_t>& triangulated) {
    if (layer.faces.allTriangles()) {
        return layer.faces.corners();
    }
    return triangulated;
}
// Every edge of the faces once, two point ids each (the lower first), ordered by the lower id: an
// edge that faces share, in either direction, is listed once. Corners that name no point give no
// edge. Depends on the faces and the number of points only.
std::vector<std::uint32_t> edgeList(const Layer& layer);

// A run of entries of an index list (or of point ids): `count` from `first`.
struct IndexRange {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    bool operator==(const IndexRange&) const = default;
};
using IndexRanges = std::vector<IndexRange>;

// The parts of a layer's triangle list (as triangleList gives it) that draw the faces of
// `selectedFacesIds` and the other faces, as runs of list entries in face order; ids out of range
// are ignored. Both are emptied first.
void triangleRanges(const FaceList& faces, std::span<const std::uint32_t> selectedFacesIds,
                    IndexRanges& ordinary, IndexRanges& selected);
// The runs of point ids 0 … count − 1 that `selectedPointsIds` names and the others; ids out of
// range are ignored. Both are emptied first.
void pointRanges(size_t count, std::span<const std::int64_t> selectedPointsIds,
                 IndexRanges& ordinary, IndexRanges& selected);
// The entries of `list` in `ranges`, in order (ranges past the list's end are cut short).
std::vector<std::uint32_t> gather(std::span<const std::uint32_t> list, const IndexRanges& ranges);

// The triangle list `triangles` of the layer's faces (as triangleList gives it) split
// into the triangles of ordinary and of selected faces, in face order. A face is selected when
// isMeshSelected and its id is in selectedFacesIds; ids out of range are ignored.
void splitTriangles(const Layer& layer, std::span<const std::uint32_t> triangles,
                    bool isMeshSelected, std::span<const std::uint32_t> selectedFacesIds,
                    IndexData& out);
// The edges of the selected faces, two point ids each (the lower first), face by face: an edge
// two selected faces share is listed for each. `out` is emptied first.
void selectedEdges(const Layer& layer, bool isMeshSelected,
                   std::span<const std::uint32_t> selectedFacesIds,
                   std::vector<std::uint32_t>& out);
// The edges of `edgeList` (as edgeList gives it) that `selection` names, two point ids each, in
// list order: a selected edge that is no edge of the faces draws nothing. `out` is emptied first.
void selectedEdgesOf(std::span<const std::uint32_t> edgeList, std::span<const Edge> selection,
                     std::vector<std::uint32_t>& out);

// Three entries per triangle of the faces cut into triangles, in face order. A face is selected
// when isMeshSelected and its id is in selectedFacesIds; selection ids out of range are ignored.
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

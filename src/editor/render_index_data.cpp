// Index lists for drawing a layer. What depends only on the layer (its faces cut into triangles,
// its edges) is built once per layer; what depends on the selection is a split of those lists,
// linear in points plus faces, with selection membership through a bitmap.

#include "editor/render_index_data.h"

#include "base/check.h"
#include "mesh/polygon.h"

#include <algorithm>
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

// Calls f(a, b) for every edge of every face, in face order, each face's edges from its first
// corner on.
template <class F> void forEachFaceEdge(const FaceList& faces, F&& f) {
    if (faces.uniformCount() == 3) {
        const std::uint32_t* c = faces.corners().data();
        for (size_t i = 0; i < faces.size(); ++i, c += 3) {
            f(c[0], c[1]);
            f(c[1], c[2]);
            f(c[2], c[0]);
        }
        return;
    }
    for (const FaceList::Face face : faces) {
        if (face.empty()) {
            continue;
        }
        for (size_t k = 0; k + 1 < face.size(); ++k) {
            f(face[k], face[k + 1]);
        }
        f(face.back(), face.front());
    }
}

} // namespace

std::vector<std::uint32_t> triangulation(const Layer& layer) {
    std::vector<std::uint32_t> list;
    const FaceList& faces = layer.faces;
    if (faces.allTriangles()) {
        return list;
    }
    list.reserve(3 * faces.triangleCount());
    std::vector<Triangle> pieces;
    for (const FaceList::Face face : faces) {
        pieces.clear();
        polygon::triangulate(layer.positions, face, pieces);
        for (const Triangle& t : pieces) {
            list.insert(list.end(), t.begin(), t.end());
        }
    }
    return list;
}

std::vector<std::uint32_t> triangulation(const Layer& layer, const Layer& previous,
                                         std::span<const std::uint32_t> before) {
    const FaceList& faces = layer.faces;
    const size_t n = layer.positions.size();
    TESSEL_CHECK(previous.positions.size() == n && previous.faces.size() == faces.size() &&
                     before.size() == 3 * faces.triangleCount(),
                 "triangulation", "the layer before has other faces or points");
    std::vector<std::uint32_t> list;
    if (faces.allTriangles()) {
        return list;
    }
    std::vector<std::uint8_t> moved(n);
    for (size_t i = 0; i < n; ++i) {
        moved[i] = std::memcmp(&layer.positions[i], &previous.positions[i], sizeof(Vector3)) != 0;
    }
    list.reserve(before.size());
    const auto firstIndex = [&](size_t f) {
        return static_cast<std::ptrdiff_t>(3 * (faces.start(f) - 2 * f));
    };
    // Runs of faces that did not move are copied whole.
    size_t kept = 0;
    std::vector<Triangle> pieces;
    for (size_t f = 0; f < faces.size(); ++f) {
        const FaceList::Face face = faces[f];
        if (std::none_of(face.begin(), face.end(), [&](std::uint32_t c) { return moved[c]; })) {
            continue;
        }
        list.insert(list.end(), before.begin() + firstIndex(kept), before.begin() + firstIndex(f));
        kept = f + 1;
        pieces.clear();
        polygon::triangulate(layer.positions, face, pieces);
        for (const Triangle& t : pieces) {
            list.insert(list.end(), t.begin(), t.end());
        }
    }
    list.insert(list.end(), before.begin() + firstIndex(kept), before.end());
    return list;
}

// The faces' edges are sorted into one bucket per lower id (a counting sort), and each bucket
// keeps the first of equal higher ids.
std::vector<std::uint32_t> edgeList(const Layer& layer) {
    const size_t n = layer.positions.size();
    TESSEL_CHECK(n < UINT32_MAX, "edgeList",
                 "a layer of " << n << " points cannot be indexed in 32 bits");
    const FaceList& faces = layer.faces;
    // bucket[v] for v ≥ 1 ends up where bucket v − 1 ends: counted at v + 2, summed, then
    // advanced by the filling.
    std::vector<std::uint32_t> bucket(n + 2, 0);
    forEachFaceEdge(faces, [&](std::uint32_t a, std::uint32_t b) {
        if (a < n && b < n) {
            ++bucket[std::min(a, b) + 2];
        }
    });
    std::partial_sum(bucket.begin(), bucket.end(), bucket.begin());
    std::vector<std::uint32_t> higher(bucket[n + 1]);
    forEachFaceEdge(faces, [&](std::uint32_t a, std::uint32_t b) {
        if (a < n && b < n) {
            higher[bucket[std::min(a, b) + 1]++] = std::max(a, b);
        }
    });
    // A closed surface has half as many edges as corners, an open one a few more.
    std::vector<std::uint32_t> edges;
    edges.reserve(higher.size() + higher.size() / 8 + 8);
    std::vector<std::uint32_t> seenFrom(n, UINT32_MAX);
    for (std::uint32_t v = 0; v < n; ++v) {
        for (std::uint32_t j = bucket[v]; j < bucket[v + 1]; ++j) {
            const std::uint32_t w = higher[j];
            if (seenFrom[w] != v) {
                seenFrom[w] = v;
                edges.push_back(v);
                edges.push_back(w);
            }
        }
    }
    return edges;
}

namespace {

// Runs of equal marks: a run of marked ids goes to `marked`, of unmarked ones to `unmarked`, each
// as the range from entry(first id) to entry(end id).
template <class Entry>
void runs(const std::vector<std::uint8_t>& marks, Entry entry, IndexRanges& unmarked,
          IndexRanges& marked) {
    for (size_t i = 0; i < marks.size();) {
        size_t end = i + 1;
        while (end < marks.size() && marks[end] == marks[i]) {
            ++end;
        }
        const size_t first = entry(i);
        const size_t last = entry(end);
        if (last > first) {
            (marks[i] ? marked : unmarked)
                .push_back(
                    {static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(last - first)});
        }
        i = end;
    }
}

} // namespace

void triangleRanges(const FaceList& faces, std::span<const std::uint32_t> selectedFacesIds,
                    IndexRanges& ordinary, IndexRanges& selected) {
    ordinary.clear();
    selected.clear();
    const size_t entries = 3 * faces.triangleCount();
    TESSEL_CHECK(entries <= UINT32_MAX, "triangleRanges",
                 "a list of " << entries << " entries cannot be drawn in 32 bits");
    if (selectedFacesIds.empty()) {
        if (entries > 0) {
            ordinary.push_back({0, static_cast<std::uint32_t>(entries)});
        }
        return;
    }
    // Where face f's triangles start in the list: each face before it takes its corners − 2.
    runs(
        membership(selectedFacesIds, faces.size()),
        [&](size_t f) { return 3 * (faces.start(f) - 2 * f); }, ordinary, selected);
}

void pointRanges(size_t count, std::span<const std::int64_t> selectedPointsIds,
                 IndexRanges& ordinary, IndexRanges& selected) {
    ordinary.clear();
    selected.clear();
    TESSEL_CHECK(count <= UINT32_MAX, "pointRanges",
                 "a layer of " << count << " points cannot be indexed in 32 bits");
    if (selectedPointsIds.empty()) {
        if (count > 0) {
            ordinary.push_back({0, static_cast<std::uint32_t>(count)});
        }
        return;
    }
    runs(
        membership(selectedPointsIds, count), [](size_t i) { return i; }, ordinary, selected);
}

std::vector<std::uint32_t> gather(std::span<const std::uint32_t> list, const IndexRanges& ranges) {
    std::vector<std::uint32_t> out;
    for (const IndexRange& r : ranges) {
        const size_t first = std::min<size_t>(r.first, list.size());
        const size_t last = std::min<size_t>(first + r.count, list.size());
        out.insert(out.end(), list.begin() + static_cast<std::ptrdiff_t>(first),
                   list.begin() + static_cast<std::ptrdiff_t>(last));
    }
    return out;
}

void splitTriangles(const Layer& layer, std::span<const std::uint32_t> triangles,
                    bool isMeshSelected, std::span<const std::uint32_t> selectedFacesIds,
                    IndexData& out) {
    IndexRanges ordinary;
    IndexRanges selected;
    triangleRanges(layer.faces,
                   isMeshSelected ? selectedFacesIds : std::span<const std::uint32_t>{}, ordinary,
                   selected);
    out.ordinary = gather(triangles, ordinary);
    out.selected = gather(triangles, selected);
}

void selectedEdges(const Layer& layer, bool isMeshSelected,
                   std::span<const std::uint32_t> selectedFacesIds,
                   std::vector<std::uint32_t>& out) {
    out.clear();
    if (!isMeshSelected || selectedFacesIds.empty()) {
        return;
    }
    const FaceList& faces = layer.faces;
    const std::vector<std::uint8_t>& selected = membership(selectedFacesIds, faces.size());
    for (size_t f = 0; f < faces.size(); ++f) {
        if (!selected[f]) {
            continue;
        }
        const FaceList::Face face = faces[f];
        for (size_t k = 0; k < face.size(); ++k) {
            const std::uint32_t a = face[k];
            const std::uint32_t b = face[(k + 1) % face.size()];
            out.push_back(std::min(a, b));
            out.push_back(std::max(a, b));
        }
    }
}

void selectedEdgesOf(std::span<const std::uint32_t> edgeList, std::span<const Edge> selection,
                     std::vector<std::uint32_t>& out) {
    out.clear();
    std::vector<Edge> sorted(selection.begin(), selection.end());
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i + 1 < edgeList.size(); i += 2) {
        const Edge edge = Edge::between(edgeList[i], edgeList[i + 1]);
        if (std::binary_search(sorted.begin(), sorted.end(), edge)) {
            out.push_back(edge.a);
            out.push_back(edge.b);
        }
    }
}

void handleIndexDataForTriangles(const Layer& layer, bool isMeshSelected,
                                 std::span<const std::uint32_t> selectedFacesIds, IndexData& out) {
    if (layer.faces.allTriangles()) {
        splitTriangles(layer, layer.faces.corners(), isMeshSelected, selectedFacesIds, out);
        return;
    }
    const std::vector<std::uint32_t> triangulated = triangulation(layer);
    splitTriangles(layer, triangulated, isMeshSelected, selectedFacesIds, out);
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

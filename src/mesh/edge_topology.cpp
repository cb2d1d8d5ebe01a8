// The edges of a layer and what touches them, and the walks and selection conversions over them.

#include "mesh/edge_topology.h"

#include "base/check.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// One side of a face seen from its lower point: the other point, the side's corner (where it
// starts in the face) and the face.
struct Side {
    std::uint32_t other;
    std::uint32_t corner;
    std::uint32_t face;
};

bool shareFace(std::span<const std::uint32_t> a, std::span<const std::uint32_t> b) {
    for (const std::uint32_t f : a) {
        if (std::find(b.begin(), b.end(), f) != b.end()) {
            return true;
        }
    }
    return false;
}

// The edge an edge loop takes beyond `point` after arriving by `edge`, or kNone where it stops.
std::uint32_t loopBeyond(const EdgeTopology& t, const FaceList& faces, std::uint32_t edge,
                         std::uint32_t point) {
    const std::span<const std::uint32_t> around = t.edgesAround(point);
    const std::span<const std::uint32_t> arriving = t.facesOf(edge);
    if (arriving.size() == 1) {
        if (around.size() != 3) {
            return kNone;
        }
        std::uint32_t next = kNone;
        int boundary = 0;
        for (const std::uint32_t e : around) {
            if (t.facesOf(e).size() == 1) {
                ++boundary;
                next = e == edge ? next : e;
            }
        }
        return boundary == 2 ? next : kNone;
    }
    const std::span<const std::uint32_t> fan = t.facesAround(point);
    if (around.size() != 4 || fan.size() != 4) {
        return kNone;
    }
    for (const std::uint32_t f : fan) {
        if (faces.cornerCount(f) != 4) {
            return kNone;
        }
    }
    // Four faces of two sides each at the point, and two faces per edge: either one fan, where
    // exactly one edge shares no face with the arriving one, or two, where two edges do.
    std::uint32_t next = kNone;
    for (const std::uint32_t e : around) {
        const std::span<const std::uint32_t> along = t.facesOf(e);
        if (along.size() != 2) {
            return kNone;
        }
        if (e == edge || shareFace(along, arriving)) {
            continue;
        }
        if (next != kNone) {
            return kNone;
        }
        next = e;
    }
    return next;
}

// The edge opposite `edge` in `face` when the face has four corners, else kNone.
std::uint32_t oppositeIn(const EdgeTopology& t, const FaceList& faces, std::uint32_t edge,
                         std::uint32_t face) {
    if (faces.cornerCount(face) != 4) {
        return kNone;
    }
    const std::size_t start = faces.start(face);
    for (std::size_t k = 0; k < 4; ++k) {
        if (t.cornerEdges[start + k] == edge) {
            return t.cornerEdges[start + (k + 2) % 4];
        }
    }
    return kNone;
}

// A walk's edges beyond the start, in order; `closed` tells whether it came back to the start.
struct Walk {
    std::vector<std::uint32_t> edges;
    bool closed = false;
};

Walk loopSide(const EdgeTopology& t, const FaceList& faces, std::uint32_t start,
              std::uint32_t point) {
    Walk walk;
    std::uint32_t edge = start;
    // Each step is undone by the step back, so a walk ends or returns to its start; the bound
    // only guards that argument.
    for (std::size_t step = 0; step < t.edges.size(); ++step) {
        const std::uint32_t next = loopBeyond(t, faces, edge, point);
        if (next == kNone) {
            break;
        }
        if (next == start) {
            walk.closed = true;
            break;
        }
        walk.edges.push_back(next);
        point = t.edges[next].a == point ? t.edges[next].b : t.edges[next].a;
        edge = next;
    }
    return walk;
}

Walk ringSide(const EdgeTopology& t, const FaceList& faces, std::uint32_t start,
              std::uint32_t face) {
    Walk walk;
    std::uint32_t edge = start;
    for (std::size_t step = 0; step < t.edges.size(); ++step) {
        const std::uint32_t next = oppositeIn(t, faces, edge, face);
        if (next == kNone) {
            break;
        }
        if (next == start) {
            walk.closed = true;
            break;
        }
        walk.edges.push_back(next);
        const std::span<const std::uint32_t> along = t.facesOf(next);
        if (along.size() != 2) {
            break;
        }
        face = along[0] == face ? along[1] : along[0];
        edge = next;
    }
    return walk;
}

// The second side reversed, the start, then the first side, as edges.
std::vector<Edge> joined(const EdgeTopology& t, std::uint32_t start, const Walk& first,
                         const Walk& second) {
    std::vector<Edge> result;
    result.reserve(first.edges.size() + second.edges.size() + 1);
    for (auto e = second.edges.rbegin(); e != second.edges.rend(); ++e) {
        result.push_back(t.edges[*e]);
    }
    result.push_back(t.edges[start]);
    for (const std::uint32_t e : first.edges) {
        result.push_back(t.edges[e]);
    }
    return result;
}

std::vector<Edge> edgesOfIds(const EdgeTopology& t, std::vector<std::uint32_t> ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<Edge> edges;
    edges.reserve(ids.size());
    for (const std::uint32_t e : ids) {
        edges.push_back(t.edges[e]);
    }
    return edges;
}

template <class Id> void sortUnique(std::vector<Id>& ids) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
}

// Flags of the listed points in range (1), and those points once each.
std::vector<std::uint32_t> listedPoints(std::size_t count, std::span<const std::int64_t> points,
                                        std::vector<std::uint8_t>& flags) {
    flags.assign(count, 0);
    std::vector<std::uint32_t> listed;
    listed.reserve(points.size());
    for (const std::int64_t p : points) {
        if (p >= 0 && static_cast<std::uint64_t>(p) < count && !flags[p]) {
            flags[p] = 1;
            listed.push_back(static_cast<std::uint32_t>(p));
        }
    }
    return listed;
}

// The corners sorted by point: where each point's run starts, and for each corner in it the
// face and the corner's index.
struct Slots {
    const std::uint32_t* starts;
    const std::uint32_t* faces;
    const std::uint32_t* corners;
};

// The edges found, at most one per corner, and where the faces along each start (one more).
struct Linked {
    std::unique_ptr<Edge[]> edges;
    std::unique_ptr<std::uint32_t[]> faceStarts;
    std::uint32_t count = 0;
};

// The lists filled by index: the faces along the edges, the edge at each corner, and the
// number of edges at each point.
struct Output {
    std::uint32_t* edgeFaces;
    std::uint32_t* cornerEdges;
    std::uint32_t* degree;
};

// The edges from each point to higher ones, found from the sides at its corners. `bounds(f)`
// gives the range of face f's corners.
template <class Bounds>
void linkEdges(const std::uint32_t* corners, std::size_t n, const Slots& slots, Bounds bounds,
               Linked& linked, const Output& out) {
    Edge* edges = linked.edges.get();
    std::uint32_t* faceStarts = linked.faceStarts.get();
    std::uint32_t count = 0;
    std::uint32_t faceCount = 0;
    faceStarts[0] = 0;
    std::vector<Side> sides;
    for (std::uint32_t p = 0; p < n; ++p) {
        const std::uint32_t first = slots.starts[p];
        const std::uint32_t last = slots.starts[p + 1];
        sides.resize(2 * static_cast<std::size_t>(last - first));
        Side* side = sides.data();
        std::size_t found = 0;
        for (std::uint32_t slot = first; slot < last; ++slot) {
            const std::uint32_t i = slots.corners[slot];
            const std::uint32_t f = slots.faces[slot];
            const auto [begin, end] = bounds(f);
            const std::uint32_t next = i + 1 < end ? i + 1 : begin;
            const std::uint32_t previous = i > begin ? i - 1 : end - 1;
            if (corners[next] > p) {
                side[found++] = {corners[next], i, f};
            }
            if (corners[previous] > p) {
                side[found++] = {corners[previous], previous, f};
            }
        }
        // A stable insertion sort: a handful of sides, and the faces stay in order.
        for (std::size_t k = 1; k < found; ++k) {
            const Side s = side[k];
            std::size_t j = k;
            for (; j > 0 && side[j - 1].other > s.other; --j) {
                side[j] = side[j - 1];
            }
            side[j] = s;
        }
        for (std::size_t k = 0; k < found; ++k) {
            const std::uint32_t q = side[k].other;
            if (k == 0 || side[k - 1].other != q) {
                edges[count++] = {p, q};
                ++out.degree[p];
                ++out.degree[q];
            }
            out.cornerEdges[side[k].corner] = count - 1;
            out.edgeFaces[faceCount++] = side[k].face;
            faceStarts[count] = faceCount;
        }
    }
    linked.count = count;
}

} // namespace

std::optional<std::uint32_t> EdgeTopology::find(Edge edge) const {
    if (edge.a >= pointCount()) {
        return std::nullopt;
    }
    for (const std::uint32_t e : edgesAround(edge.a)) {
        if (edges[e] == edge) {
            return e;
        }
    }
    return std::nullopt;
}

EdgeTopology edgeTopology(const Layer& layer) {
    const FaceList& faces = layer.faces;
    const std::vector<std::uint32_t>& cornerList = faces.corners();
    const std::uint32_t* corners = cornerList.data();
    const std::size_t n = layer.positions.size();
    const std::size_t cornerCount = cornerList.size();
    TESSEL_CHECK(n < kNone && cornerCount < kNone, "edgeTopology",
                 n << " points and " << cornerCount << " corners exceed 32-bit ids");
    EdgeTopology t;

    // The corners sorted by point (a counting sort, in face order): the faces around each point.
    // bucket[p + 1] counts at p + 2, becomes p's start by the sum and p's end by the filling.
    std::vector<std::uint32_t>& bucket = t.pointFaceStarts;
    bucket.assign(n + 2, 0);
    for (std::size_t i = 0; i < cornerCount; ++i) {
        TESSEL_CHECK(corners[i] < n, "edgeTopology",
                     "corner " << corners[i] << " out of range for " << n);
        ++bucket[corners[i] + 2];
    }
    std::partial_sum(bucket.begin(), bucket.end(), bucket.begin());
    t.pointFaces.resize(cornerCount);
    const auto cornerAt = std::make_unique_for_overwrite<std::uint32_t[]>(cornerCount);
    {
        std::uint32_t* next = bucket.data() + 1;
        std::uint32_t* pointFaces = t.pointFaces.data();
        for (std::size_t f = 0, i = 0; f < faces.size(); ++f) {
            for (const std::size_t end = faces.start(f + 1); i < end; ++i) {
                const std::uint32_t slot = next[corners[i]]++;
                pointFaces[slot] = static_cast<std::uint32_t>(f);
                cornerAt[slot] = static_cast<std::uint32_t>(i);
            }
        }
    }
    bucket.pop_back();

    // Each edge from its lower point: the sides there to higher points, grouped by that point.
    // Points go up, and so do the higher points within a group, so the edges come out ascending.
    // Every side gives its edge one face, so the faces along the edges are as many as the corners.
    Linked linked{
        std::make_unique_for_overwrite<Edge[]>(cornerCount),
        std::make_unique_for_overwrite<std::uint32_t[]>(cornerCount + 1),
    };
    t.edgeFaces.resize(cornerCount);
    t.cornerEdges.resize(cornerCount);
    std::vector<std::uint32_t> degree(n + 2, 0);
    const Slots slots{bucket.data(), t.pointFaces.data(), cornerAt.get()};
    const Output out{t.edgeFaces.data(), t.cornerEdges.data(), degree.data() + 2};
    if (const std::uint32_t u = faces.uniformCount()) {
        linkEdges(
            corners, n, slots,
            [u](std::uint32_t f) {
                return std::pair{f * u, f * u + u};
            },
            linked, out);
    } else {
        linkEdges(
            corners, n, slots,
            [&faces](std::uint32_t f) {
                return std::pair{static_cast<std::uint32_t>(faces.start(f)),
                                 static_cast<std::uint32_t>(faces.start(f + 1))};
            },
            linked, out);
    }
    t.edges.assign(linked.edges.get(), linked.edges.get() + linked.count);
    t.edgeFaceStarts.assign(linked.faceStarts.get(), linked.faceStarts.get() + linked.count + 1);

    // The edges sorted by point, both ends, in id order.
    std::partial_sum(degree.begin(), degree.end(), degree.begin());
    t.pointEdges.resize(2 * t.edges.size());
    {
        std::uint32_t* next = degree.data() + 1;
        std::uint32_t* pointEdges = t.pointEdges.data();
        const Edge* edges = t.edges.data();
        for (std::uint32_t e = 0; e < linked.count; ++e) {
            pointEdges[next[edges[e].a]++] = e;
            pointEdges[next[edges[e].b]++] = e;
        }
    }
    degree.pop_back();
    t.pointEdgeStarts = std::move(degree);
    return t;
}

std::vector<Edge> edgeLoop(const EdgeTopology& topology, const Layer& layer, Edge edge) {
    const std::optional<std::uint32_t> start = topology.find(edge);
    if (!start) {
        return {};
    }
    const Walk first = loopSide(topology, layer.faces, *start, edge.b);
    const Walk second = first.closed ? Walk{} : loopSide(topology, layer.faces, *start, edge.a);
    return joined(topology, *start, first, second);
}

std::vector<Edge> edgeRing(const EdgeTopology& topology, const Layer& layer, Edge edge) {
    const std::optional<std::uint32_t> start = topology.find(edge);
    if (!start) {
        return {};
    }
    const std::span<const std::uint32_t> along = topology.facesOf(*start);
    if (along.size() > 2) {
        return {edge};
    }
    const Walk first = ringSide(topology, layer.faces, *start, along[0]);
    Walk second = first.closed || along.size() < 2
                      ? Walk{}
                      : ringSide(topology, layer.faces, *start, along[1]);
    // Both sides can end on one edge along more than two faces, reached across two of them.
    if (!first.edges.empty() && !second.edges.empty() &&
        first.edges.back() == second.edges.back()) {
        second.edges.pop_back();
    }
    return joined(topology, *start, first, second);
}

std::vector<Edge> pointsToEdges(const EdgeTopology& topology,
                                std::span<const std::int64_t> points) {
    std::vector<std::uint8_t> flags;
    std::vector<std::uint32_t> ids;
    for (const std::uint32_t p : listedPoints(topology.pointCount(), points, flags)) {
        for (const std::uint32_t e : topology.edgesAround(p)) {
            if (topology.edges[e].a == p && flags[topology.edges[e].b]) {
                ids.push_back(e);
            }
        }
    }
    return edgesOfIds(topology, std::move(ids));
}

std::vector<std::uint32_t> pointsToFaces(const EdgeTopology& topology, const Layer& layer,
                                         std::span<const std::int64_t> points) {
    std::vector<std::uint8_t> flags;
    std::vector<std::uint32_t> faces;
    for (const std::uint32_t p : listedPoints(topology.pointCount(), points, flags)) {
        for (const std::uint32_t f : topology.facesAround(p)) {
            // Each face once: from its first corner.
            const FaceList::Face face = layer.faces[f];
            if (face[0] == p &&
                std::all_of(face.begin(), face.end(), [&](std::uint32_t c) { return flags[c]; })) {
                faces.push_back(f);
            }
        }
    }
    sortUnique(faces);
    return faces;
}

std::vector<std::int64_t> edgesToPoints(const EdgeTopology& topology, std::span<const Edge> edges) {
    std::vector<std::int64_t> points;
    points.reserve(2 * edges.size());
    for (const Edge& edge : edges) {
        if (topology.find(edge)) {
            points.push_back(edge.a);
            points.push_back(edge.b);
        }
    }
    sortUnique(points);
    return points;
}

std::vector<std::uint32_t> edgesToFaces(const EdgeTopology& topology, const Layer& layer,
                                        std::span<const Edge> edges) {
    std::vector<std::uint8_t> listed(topology.edges.size(), 0);
    std::vector<std::uint32_t> ids;
    for (const Edge& edge : edges) {
        const std::optional<std::uint32_t> e = topology.find(edge);
        if (e && !listed[*e]) {
            listed[*e] = 1;
            ids.push_back(*e);
        }
    }
    std::vector<std::uint32_t> faces;
    for (const std::uint32_t e : ids) {
        for (const std::uint32_t f : topology.facesOf(e)) {
            // Each face once: from the edge at its first corner.
            const auto begin = topology.cornerEdges.begin() + layer.faces.start(f);
            const auto end = topology.cornerEdges.begin() + layer.faces.start(f + 1);
            if (*begin == e &&
                std::all_of(begin, end, [&](std::uint32_t side) { return listed[side]; })) {
                faces.push_back(f);
            }
        }
    }
    sortUnique(faces);
    return faces;
}

std::vector<std::int64_t> facesToPoints(const Layer& layer, std::span<const std::uint32_t> faces) {
    std::vector<std::int64_t> points;
    for (const std::uint32_t f : faces) {
        if (f < layer.faces.size()) {
            const FaceList::Face face = layer.faces[f];
            points.insert(points.end(), face.begin(), face.end());
        }
    }
    sortUnique(points);
    return points;
}

std::vector<Edge> facesToEdges(const EdgeTopology& topology, const Layer& layer,
                               std::span<const std::uint32_t> faces) {
    std::vector<std::uint32_t> ids;
    for (const std::uint32_t f : faces) {
        if (f < layer.faces.size()) {
            const auto begin = topology.cornerEdges.begin() + layer.faces.start(f);
            const auto end = topology.cornerEdges.begin() + layer.faces.start(f + 1);
            ids.insert(ids.end(), begin, end);
        }
    }
    return edgesOfIds(topology, std::move(ids));
}

} // namespace tessel

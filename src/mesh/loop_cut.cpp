#include "mesh/loop_cut.h"

#include "base/check.h"
#include "mesh/crease.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace tessel {

namespace {

constexpr std::uint32_t kNone = UINT32_MAX;

// The faces and edges of one side of the walk, beyond the start edge.
struct Side {
    std::vector<std::uint32_t> edges, faces;
    bool closed = false;
};

struct Flags {
    std::vector<std::uint8_t> faces, edges;
};

Side walkSide(const EdgeTopology& t, const FaceList& faces, std::uint32_t start, std::uint32_t face,
              Flags& used) {
    Side side;
    std::uint32_t edge = start;
    for (;;) {
        if (used.faces[face] || faces.cornerCount(face) != 4) {
            break;
        }
        const std::size_t s = faces.start(face);
        std::size_t k = 0;
        while (k < 4 && t.cornerEdges[s + k] != edge) {
            ++k;
        }
        if (k == 4) {
            break;
        }
        const std::uint32_t across = t.cornerEdges[s + (k + 2) % 4];
        if (used.edges[t.cornerEdges[s + (k + 1) % 4]] ||
            used.edges[t.cornerEdges[s + (k + 3) % 4]]) {
            break;
        }
        if (across == start) {
            side.faces.push_back(face);
            used.faces[face] = 1;
            side.closed = true;
            break;
        }
        const std::span<const std::uint32_t> along = t.facesOf(across);
        // An edge already split, or one that is a side of a face already crossed.
        if (used.edges[across] || std::any_of(along.begin(), along.end(), [&](std::uint32_t g) {
                return g != face && used.faces[g];
            })) {
            break;
        }
        side.faces.push_back(face);
        side.edges.push_back(across);
        used.faces[face] = 1;
        used.edges[across] = 1;
        if (along.size() != 2) {
            break;
        }
        face = along[0] == face ? along[1] : along[0];
        edge = across;
    }
    return side;
}

// The corner of four-cornered `face` next to `p` that is not `q` (q must be next to p).
std::uint32_t otherNeighbour(FaceList::Face face, std::uint32_t p, std::uint32_t q) {
    std::size_t k = 0;
    while (face[k] != p) {
        ++k;
    }
    const std::uint32_t next = face[(k + 1) % 4];
    return next == q ? face[(k + 3) % 4] : next;
}

std::uint32_t otherEnd(const Edge& edge, std::uint32_t p) { return edge.a == p ? edge.b : edge.a; }

} // namespace

LoopCutRing loopCutRing(const EdgeTopology& topology, const Layer& layer, Edge edge) {
    LoopCutRing ring;
    const std::optional<std::uint32_t> start = topology.find(edge);
    if (!start) {
        return ring;
    }
    const std::span<const std::uint32_t> along = topology.facesOf(*start);
    if (along.size() > 2) {
        return ring;
    }
    Flags used{std::vector<std::uint8_t>(layer.faces.size()),
               std::vector<std::uint8_t>(topology.edges.size())};
    used.edges[*start] = 1;
    const Side first = walkSide(topology, layer.faces, *start, along[0], used);
    const Side second = first.closed || along.size() < 2
                            ? Side{}
                            : walkSide(topology, layer.faces, *start, along[1], used);

    ring.closed = first.closed;
    ring.origin = second.edges.size();
    ring.edges.assign(second.edges.rbegin(), second.edges.rend());
    ring.edges.push_back(*start);
    ring.edges.insert(ring.edges.end(), first.edges.begin(), first.edges.end());
    ring.faces.assign(second.faces.rbegin(), second.faces.rend());
    ring.faces.insert(ring.faces.end(), first.faces.begin(), first.faces.end());
    if (ring.faces.empty()) {
        return LoopCutRing{};
    }

    // Line the starts up across the faces, outwards from the origin both ways.
    const std::size_t n = ring.edges.size();
    ring.starts.assign(n, kNone);
    ring.starts[ring.origin] = edge.a;
    for (std::size_t i = ring.origin; i + 1 < n; ++i) {
        const Edge& e = topology.edges[ring.edges[i]];
        ring.starts[i + 1] =
            otherNeighbour(layer.faces[ring.faces[i]], ring.starts[i], otherEnd(e, ring.starts[i]));
    }
    for (std::size_t i = ring.origin; i > 0; --i) {
        const Edge& e = topology.edges[ring.edges[i]];
        ring.starts[i - 1] = otherNeighbour(layer.faces[ring.faces[i - 1]], ring.starts[i],
                                            otherEnd(e, ring.starts[i]));
    }
    return ring;
}

std::vector<float> loopCutPositions(int cuts, float slide) {
    TESSEL_CHECK(cuts >= 1, "loop cut", "cut count " << cuts);
    const float step = 1.0f / static_cast<float>(cuts + 1);
    const float half = 0.5f - step; // from the middle cut to the outer ones
    const float middle = std::clamp(std::isnan(slide) ? 0.5f : slide, half + kLoopCutMargin,
                                    1 - half - kLoopCutMargin);
    std::vector<float> positions(static_cast<std::size_t>(cuts));
    for (int k = 0; k < cuts; ++k) {
        positions[static_cast<std::size_t>(k)] = middle - half + step * static_cast<float>(k);
    }
    return positions;
}

void loopCut(Layer& layer, const EdgeTopology& topology, const LoopCutRing& ring, int cuts,
             float slide) {
    if (ring.empty()) {
        return;
    }
    const std::vector<float> at = loopCutPositions(cuts, slide);
    const std::size_t n = ring.edges.size();
    const std::size_t count = static_cast<std::size_t>(cuts);
    const auto base = static_cast<std::uint32_t>(layer.positions.size());

    layer.positions.reserve(layer.positions.size() + n * count);
    for (std::size_t i = 0; i < n; ++i) {
        const Vector3 from = layer.positions[ring.starts[i]];
        const Vector3 to = layer.positions[otherEnd(topology.edges[ring.edges[i]], ring.starts[i])];
        for (const float t : at) {
            layer.positions.push_back(from + (to - from) * t);
        }
    }
    // The k-th new point of ring edge i counted from its end `from`.
    const auto cutPoint = [&](std::size_t i, std::uint32_t from, std::size_t k) {
        const std::size_t index = ring.starts[i] == from ? k : count - 1 - k;
        return base + static_cast<std::uint32_t>(i * count + index);
    };

    std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> changed;
    std::vector<std::vector<std::uint32_t>> added;
    const FaceList& faces = layer.faces;
    for (std::size_t i = 0; i < ring.faces.size(); ++i) {
        const std::uint32_t f = ring.faces[i];
        const FaceList::Face c = faces[f];
        const std::size_t s = faces.start(f);
        std::size_t k = 0;
        while (topology.cornerEdges[s + k] != ring.edges[i]) {
            ++k;
        }
        const std::uint32_t p = c[k], q = c[(k + 1) % 4], r = c[(k + 2) % 4], w = c[(k + 3) % 4];
        const std::size_t next = (i + 1) % n;
        std::uint32_t lastNear = p, lastFar = w;
        for (std::size_t j = 0; j <= count; ++j) {
            const std::uint32_t near = j == count ? q : cutPoint(i, p, j);
            const std::uint32_t far = j == count ? r : cutPoint(next, w, j);
            std::vector<std::uint32_t> quad{lastNear, near, far, lastFar};
            if (j == 0) {
                changed.emplace_back(f, std::move(quad));
            } else {
                added.push_back(std::move(quad));
            }
            lastNear = near;
            lastFar = far;
        }
    }

    // The faces beyond the ends take the new points among their corners.
    const std::unordered_set<std::uint32_t> crossed(ring.faces.begin(), ring.faces.end());
    std::unordered_map<std::uint32_t, std::size_t> ringIndex;
    for (std::size_t i = 0; i < n; ++i) {
        ringIndex.emplace(ring.edges[i], i);
    }
    std::unordered_set<std::uint32_t> beyond;
    for (const std::uint32_t e : ring.edges) {
        for (const std::uint32_t g : topology.facesOf(e)) {
            if (!crossed.contains(g)) {
                beyond.insert(g);
            }
        }
    }
    for (const std::uint32_t g : beyond) {
        const FaceList::Face c = faces[g];
        const std::size_t s = faces.start(g);
        std::vector<std::uint32_t> corners;
        corners.reserve(c.size() + 2 * count);
        for (std::size_t k = 0; k < c.size(); ++k) {
            corners.push_back(c[k]);
            const auto found = ringIndex.find(topology.cornerEdges[s + k]);
            if (found != ringIndex.end()) {
                for (std::size_t j = 0; j < count; ++j) {
                    corners.push_back(cutPoint(found->second, c[k], j));
                }
            }
        }
        changed.emplace_back(g, std::move(corners));
    }

    std::sort(changed.begin(), changed.end(),
              [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::uint32_t> ids;
    std::vector<std::vector<std::uint32_t>> replacements;
    ids.reserve(changed.size());
    replacements.reserve(changed.size());
    for (auto& [id, corners] : changed) {
        ids.push_back(id);
        replacements.push_back(std::move(corners));
    }
    layer.faces.replace(ids, replacements);
    for (const std::vector<std::uint32_t>& face : added) {
        layer.faces.push_back(FaceList::Face(face));
    }

    // A creased ring edge cut in pieces: each piece keeps its weight.
    if (layer.creases.empty()) {
        return;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t from = ring.starts[i];
        const std::uint32_t to = otherEnd(topology.edges[ring.edges[i]], from);
        const float weight = creaseOf(layer, Edge::between(from, to));
        if (weight <= 0) {
            continue;
        }
        std::vector<Edge> pieces;
        std::uint32_t previous = from;
        for (std::size_t k = 0; k < count; ++k) {
            pieces.push_back(Edge::between(previous, cutPoint(i, from, k)));
            previous = cutPoint(i, from, k);
        }
        pieces.push_back(Edge::between(previous, to));
        const Edge whole = Edge::between(from, to);
        setCreases(layer, {&whole, 1}, 0);
        setCreases(layer, pieces, weight);
    }
}

std::optional<Layer> loopCut(const Layer& layer, Edge edge, int cuts, float slide) {
    const EdgeTopology topology = edgeTopology(layer);
    const LoopCutRing ring = loopCutRing(topology, layer, edge);
    if (ring.empty()) {
        return std::nullopt;
    }
    Layer cut = layer;
    loopCut(cut, topology, ring, cuts, slide);
    return cut;
}

} // namespace tessel

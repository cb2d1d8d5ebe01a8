#include "mesh/dissolve.h"

#include "mesh/removal.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace tessel {

namespace {

// Faces joined into groups; a group's root is its lowest face.
class FaceGroups {
public:
    explicit FaceGroups(size_t faces) : parent_(faces), joined_(faces, 0) {
        std::iota(parent_.begin(), parent_.end(), 0u);
    }
    std::uint32_t root(std::uint32_t f) {
        while (parent_[f] != f) {
            f = parent_[f] = parent_[parent_[f]];
        }
        return f;
    }
    void join(std::uint32_t f, std::uint32_t g) {
        joined_[f] = joined_[g] = 1;
        f = root(f);
        g = root(g);
        if (f < g) {
            parent_[g] = f;
        } else {
            parent_[f] = g;
        }
    }
    bool joined(size_t f) const { return joined_[f] != 0; }

private:
    std::vector<std::uint32_t> parent_;
    std::vector<std::uint8_t> joined_;
};

using HalfEdge = std::pair<std::uint32_t, std::uint32_t>;

// The outline of a group of faces (lowest first) as dissolve.h describes it, in `ring`; false when
// it is not one loop through distinct corners or two faces walk an edge the same way.
bool outline(const FaceList& faces, std::span<const std::uint32_t> group,
             std::vector<std::uint32_t>& ring) {
    std::vector<HalfEdge> halves;
    for (const std::uint32_t f : group) {
        const FaceList::Face face = faces[f];
        for (size_t k = 0; k < face.size(); ++k) {
            halves.emplace_back(face[k], face[(k + 1) % face.size()]);
        }
    }
    std::ranges::sort(halves);
    if (std::ranges::adjacent_find(halves) != halves.end()) {
        return false;
    }
    std::vector<HalfEdge> border;
    for (const HalfEdge& h : halves) {
        if (!std::ranges::binary_search(halves, HalfEdge{h.second, h.first})) {
            border.push_back(h);
        }
    }
    const auto sameStart = [](const HalfEdge& h, const HalfEdge& i) { return h.first == i.first; };
    if (std::ranges::adjacent_find(border, sameStart) != border.end()) {
        return false;
    }
    const auto from = [&](std::uint32_t v) {
        const auto it = std::ranges::lower_bound(border, HalfEdge{v, 0});
        return it != border.end() && it->first == v ? it : border.end();
    };
    const FaceList::Face first = faces[group[0]];
    const auto start =
        std::ranges::find_if(first, [&](std::uint32_t v) { return from(v) != border.end(); });
    if (start == first.end()) {
        return false;
    }
    ring.clear();
    std::uint32_t v = *start;
    do {
        const auto next = from(v);
        if (next == border.end() || ring.size() == border.size()) {
            return false;
        }
        ring.push_back(v);
        v = next->second;
    } while (v != *start);
    return ring.size() == border.size();
}

// Joins every group of faces as dissolve.h describes, leaving the `dropped` points (when given)
// out of the outlines. Returns the ids the changed faces have afterwards, ascending.
std::vector<std::uint32_t> joinGroups(Layer& layer, FaceGroups& groups,
                                      const std::vector<std::uint8_t>* dropped) {
    FaceList& faces = layer.faces;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> byGroup;
    for (size_t f = 0; f < faces.size(); ++f) {
        if (groups.joined(f)) {
            const auto face = static_cast<std::uint32_t>(f);
            byGroup.emplace_back(groups.root(face), face);
        }
    }
    std::ranges::sort(byGroup);

    std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> changes;
    std::vector<std::uint32_t> group;
    std::vector<std::uint32_t> ring;
    for (size_t g = 0; g < byGroup.size();) {
        group.clear();
        const std::uint32_t root = byGroup[g].first;
        for (; g < byGroup.size() && byGroup[g].first == root; ++g) {
            group.push_back(byGroup[g].second);
        }
        if (!outline(faces, group, ring)) {
            continue;
        }
        if (dropped) {
            std::erase_if(ring, [&](std::uint32_t v) { return (*dropped)[v] != 0; });
        }
        if (ring.size() < 3) {
            continue;
        }
        changes.emplace_back(root, ring);
        for (size_t k = 1; k < group.size(); ++k) {
            changes.emplace_back(group[k], std::vector<std::uint32_t>{});
        }
    }
    if (changes.empty()) {
        return {};
    }
    std::ranges::sort(changes);

    // The changed faces' corners are the only points that can fall out of use.
    const size_t pointCount = layer.positions.size();
    std::vector<std::uint8_t> keepPoint(pointCount, 1);
    std::vector<std::uint32_t> changed;
    std::vector<std::vector<std::uint32_t>> replacements;
    for (auto& [f, corners] : changes) {
        for (const std::uint32_t v : faces[f]) {
            keepPoint[v] = 0;
        }
        changed.push_back(f);
        replacements.push_back(std::move(corners));
    }
    std::vector<std::uint32_t> result;
    std::uint32_t gone = 0;
    for (size_t k = 0; k < changed.size(); ++k) {
        if (replacements[k].empty()) {
            ++gone;
        } else {
            result.push_back(changed[k] - gone);
        }
    }
    faces.replace(changed, replacements);
    for (const std::uint32_t v : faces.corners()) {
        keepPoint[v] = 1;
    }
    if (std::ranges::find(keepPoint, 0) != keepPoint.end()) {
        remapCorners(layer, compact(layer.positions, keepPoint));
    }
    return result;
}

} // namespace

std::vector<std::uint32_t> dissolveEdges(Layer& layer, std::span<const Edge> edges) {
    const size_t pointCount = layer.positions.size();
    std::vector<Edge> listed;
    std::vector<std::uint8_t> endpoint(pointCount, 0);
    for (const Edge& e : edges) {
        if (e.a != e.b && e.a < pointCount && e.b < pointCount) {
            listed.push_back(Edge::between(e.a, e.b));
            endpoint[e.a] = endpoint[e.b] = 1;
        }
    }
    if (listed.empty()) {
        return {};
    }
    std::ranges::sort(listed);
    const auto [last, end] = std::ranges::unique(listed);
    listed.erase(last, end);

    // The faces along each listed edge, and which way they walk it.
    struct Sides {
        std::uint32_t face[2] = {0, 0};
        bool forward[2] = {false, false};
        std::uint32_t count = 0;
    };
    std::vector<Sides> sides(listed.size());
    const FaceList& faces = layer.faces;
    for (size_t f = 0; f < faces.size(); ++f) {
        const FaceList::Face face = faces[f];
        for (size_t k = 0; k < face.size(); ++k) {
            const std::uint32_t u = face[k];
            const std::uint32_t w = face[(k + 1) % face.size()];
            if (!endpoint[u] || !endpoint[w]) {
                continue;
            }
            const auto it = std::ranges::lower_bound(listed, Edge::between(u, w));
            if (it == listed.end() || *it != Edge::between(u, w)) {
                continue;
            }
            Sides& s = sides[static_cast<size_t>(it - listed.begin())];
            if (s.count < 2) {
                s.face[s.count] = static_cast<std::uint32_t>(f);
                s.forward[s.count] = u < w;
            }
            ++s.count;
        }
    }
    FaceGroups groups(faces.size());
    for (const Sides& s : sides) {
        if (s.count == 2 && s.face[0] != s.face[1] && s.forward[0] != s.forward[1]) {
            groups.join(s.face[0], s.face[1]);
        }
    }
    return joinGroups(layer, groups, nullptr);
}

std::vector<std::uint32_t> dissolvePoints(Layer& layer, std::span<const std::int64_t> points) {
    const size_t pointCount = layer.positions.size();
    const PointFlags flagged = flagPoints(layer, points);
    if (flagged.count == 0) {
        return {};
    }
    const std::vector<std::uint8_t>& listed = flagged.flags;
    // The faces around each listed point form one group, and groups sharing a face one.
    const FaceList& faces = layer.faces;
    FaceGroups groups(faces.size());
    std::vector<std::uint32_t> firstFace(pointCount, kRemoved);
    for (size_t f = 0; f < faces.size(); ++f) {
        const auto face = static_cast<std::uint32_t>(f);
        for (const std::uint32_t v : faces[f]) {
            if (listed[v]) {
                groups.join(firstFace[v] == kRemoved ? face : firstFace[v], face);
                if (firstFace[v] == kRemoved) {
                    firstFace[v] = face;
                }
            }
        }
    }
    return joinGroups(layer, groups, &listed);
}

} // namespace tessel

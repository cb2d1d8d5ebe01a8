#include "mesh/fill.h"

#include <algorithm>

namespace tessel {

namespace {

// Whether the one face along border edge `id` walks it from edge.a to edge.b.
bool faceWalksForward(const EdgeTopology& topology, const Layer& layer, std::uint32_t id) {
    const std::uint32_t face = topology.facesOf(id)[0];
    for (size_t i = layer.faces.start(face); i < layer.faces.start(face + 1); ++i) {
        if (topology.cornerEdges[i] == id) {
            return layer.faces.corners()[i] == topology.edges[id].a;
        }
    }
    return false;
}

} // namespace

BorderLoops borderLoops(const EdgeTopology& topology, const Layer& layer,
                        std::span<const Edge> edges) {
    BorderLoops result;
    std::vector<std::uint32_t> ids;
    for (const Edge& edge : edges) {
        const std::optional<std::uint32_t> id = topology.find(Edge::between(edge.a, edge.b));
        if (!id || topology.facesOf(*id).size() != 1) {
            result.fault = BorderFault::NotOnBorder;
            return result;
        }
        ids.push_back(*id);
    }
    std::ranges::sort(ids);
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    if (ids.empty()) {
        result.fault = BorderFault::Empty;
        return result;
    }

    // The listed edges at each of their points: exactly two where the borders close.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ends; // (point, edge id)
    for (const std::uint32_t id : ids) {
        ends.emplace_back(topology.edges[id].a, id);
        ends.emplace_back(topology.edges[id].b, id);
    }
    std::ranges::sort(ends);
    for (size_t i = 0; i < ends.size();) {
        size_t j = i;
        while (j < ends.size() && ends[j].first == ends[i].first) {
            ++j;
        }
        if (j - i != 2) {
            result.fault = j - i == 1 ? BorderFault::Open : BorderFault::Branching;
            return result;
        }
        i = j;
    }
    // The other listed edge at `point` than `id`.
    const auto next = [&](std::uint32_t point, std::uint32_t id) {
        const auto at = std::ranges::lower_bound(ends, std::pair{point, 0u});
        return at->second == id ? (at + 1)->second : at->second;
    };

    std::vector<std::uint8_t> walked(ids.size(), 0);
    for (size_t first = 0; first < ids.size(); ++first) {
        if (walked[first]) {
            continue;
        }
        std::vector<std::uint32_t> loop;
        // Faces that ask for the loop as walked, and those that ask for it the other way.
        size_t along = 0;
        size_t against = 0;
        std::uint32_t id = ids[first];
        std::uint32_t point = topology.edges[id].a;
        do {
            walked[static_cast<size_t>(std::ranges::lower_bound(ids, id) - ids.begin())] = 1;
            loop.push_back(point);
            const Edge& edge = topology.edges[id];
            const bool forward = point == edge.a;
            // The new face runs against the old one: forward when the old one walks b to a.
            (faceWalksForward(topology, layer, id) != forward ? along : against) += 1;
            point = forward ? edge.b : edge.a;
            id = next(point, id);
        } while (id != ids[first]);
        if (against > along) {
            std::reverse(loop.begin() + 1, loop.end());
        }
        result.loops.push_back(std::move(loop));
    }
    return result;
}

BorderEdit fillBorders(Layer& layer, std::span<const Edge> edges) {
    const EdgeTopology topology = edgeTopology(layer);
    const BorderLoops borders = borderLoops(topology, layer, edges);
    if (borders.fault != BorderFault::None) {
        return {{}, borders.fault};
    }
    for (const std::vector<std::uint32_t>& loop : borders.loops) {
        // A loop around one face alone (a lone polygon's rim) would give that face a back.
        const std::uint32_t id = *topology.find(Edge::between(loop[0], loop[1]));
        const FaceList::Face face = layer.faces[topology.facesOf(id)[0]];
        std::vector<std::uint32_t> points = loop;
        std::vector<std::uint32_t> corners(face.begin(), face.end());
        std::ranges::sort(points);
        std::ranges::sort(corners);
        if (corners == points) {
            return {{}, BorderFault::AlreadyFace};
        }
    }
    BorderEdit result;
    for (const std::vector<std::uint32_t>& loop : borders.loops) {
        result.faces.push_back(static_cast<std::uint32_t>(layer.faces.size()));
        layer.faces.push_back(loop);
    }
    return result;
}

} // namespace tessel

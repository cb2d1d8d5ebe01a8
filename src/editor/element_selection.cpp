#include "editor/element_selection.h"

#include <algorithm>
#include <numeric>
#include <sstream>
#include <utility>

namespace tessel {

namespace {

// An id that names one of `count` elements.
template <class Id> bool names(Id id, size_t count) {
    return std::cmp_greater_equal(id, 0) && std::cmp_less(id, count);
}

bool names(const Edge& edge, std::span<const Edge> edges) {
    return std::binary_search(edges.begin(), edges.end(), edge);
}

// The ids in 0 … count − 1 that `ids` does not name.
template <class Id> void invertIds(std::vector<Id>& ids, size_t count) {
    std::vector<std::uint8_t> selected(count, 0);
    for (const Id id : ids) {
        if (names(id, count)) {
            selected[static_cast<size_t>(id)] = 1;
        }
    }
    ids.clear();
    for (size_t i = 0; i < count; ++i) {
        if (!selected[i]) {
            ids.push_back(static_cast<Id>(i));
        }
    }
}

} // namespace

std::string counted(size_t n, const char* noun) {
    std::ostringstream out;
    out << n << ' ' << noun << (n == 1 ? "" : "s");
    return out.str();
}

void selectAll(ElementSelection& selection, Element element, SelectableLayer selectable) {
    const Layer& layer = selectable.layer;
    switch (element) {
    case Element::Point:
        selection.points.resize(layer.positions.size());
        std::iota(selection.points.begin(), selection.points.end(), std::int64_t{0});
        break;
    case Element::Edge:
        selection.edges.assign(selectable.edges.begin(), selectable.edges.end());
        break;
    case Element::Face:
        selection.faces.resize(layer.faces.size());
        std::iota(selection.faces.begin(), selection.faces.end(), std::uint32_t{0});
        break;
    case Element::Mesh: break;
    }
}

void invertSelection(ElementSelection& selection, Element element, SelectableLayer selectable) {
    const Layer& layer = selectable.layer;
    switch (element) {
    case Element::Point: invertIds(selection.points, layer.positions.size()); break;
    case Element::Edge: {
        std::vector<Edge> selected = selection.edges;
        std::sort(selected.begin(), selected.end());
        std::vector<Edge> inverted;
        for (const Edge& edge : selectable.edges) {
            if (!std::binary_search(selected.begin(), selected.end(), edge)) {
                inverted.push_back(edge);
            }
        }
        selection.edges = std::move(inverted);
        break;
    }
    case Element::Face: invertIds(selection.faces, layer.faces.size()); break;
    case Element::Mesh: break;
    }
}

std::string selectionStatus(const ElementSelection& selection, Element element,
                            SelectableLayer selectable) {
    const Layer& layer = selectable.layer;
    const auto valid = [](const auto& ids, const auto& in) {
        return static_cast<size_t>(
            std::count_if(ids.begin(), ids.end(), [&in](const auto& id) { return names(id, in); }));
    };
    std::ostringstream out;
    switch (element) {
    case Element::Point:
        out << valid(selection.points, layer.positions.size()) << " of "
            << counted(layer.positions.size(), "point");
        break;
    case Element::Edge: {
        const std::span<const Edge> edges = selectable.edges;
        std::vector<Edge> selected = selection.edges;
        std::sort(selected.begin(), selected.end());
        selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
        out << valid(selected, edges) << " of " << counted(edges.size(), "edge");
        break;
    }
    case Element::Face:
    case Element::Mesh:
        out << valid(selection.faces, layer.faces.size()) << " of "
            << counted(layer.faces.size(), "face");
        break;
    }
    out << " selected";
    return out.str();
}

} // namespace tessel

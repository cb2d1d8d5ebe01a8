#pragma once

#include "mesh/edge.h"
#include "mesh/layer.h"
#include "tools/tool_context.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessel {

// What is selected in the selected mesh, by id as picked: edits do not renumber selections, so
// an id may name nothing in a later layer (everything reading a selection skips such ids).
struct ElementSelection {
    std::vector<std::int64_t> points;
    std::vector<Edge> edges;
    std::vector<std::uint32_t> faces;

    void clear() {
        points.clear();
        edges.clear();
        faces.clear();
    }
    bool operator==(const ElementSelection&) const = default;
};

// A layer as the selection commands see it: its points and faces, and its edges (edgesOf, which
// the caller keeps per layer: listing them costs a sort).
struct SelectableLayer {
    const Layer& layer;
    std::span<const Edge> edges;
};

// Selects every element of the kind, replacing that kind's selection.
void selectAll(ElementSelection& selection, Element element, SelectableLayer layer);
// Selects exactly the elements of the kind that were not selected; ids naming nothing are dropped.
void invertSelection(ElementSelection& selection, Element element, SelectableLayer layer);
// "3 of 25 points selected", "2 of 40 edges selected", "1 of 32 faces selected": the selected
// ids that name an element of the layer, of all of them.
std::string selectionStatus(const ElementSelection& selection, Element element,
                            SelectableLayer layer);
// "1 point", "25 points".
std::string counted(size_t n, const char* noun);

} // namespace tessel

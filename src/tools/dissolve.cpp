#include "tools/dissolve.h"

#include "mesh/dissolve.h"
#include "tools/tool_support.h"

namespace tessel {

std::shared_ptr<Dissolve> Dissolve::make(ToolContext& context, Element scope) {
    std::shared_ptr<Dissolve> tool(new Dissolve(context, scope));
    tool->installOwnPreview();
    return tool;
}

ModifierResult Dissolve::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!selectionHolds(committed)) {
        return {layer, nullptr};
    }
    if (scope_ == Element::Edge) {
        dissolveEdges(*layer, edges_);
    } else if (scope_ == Element::Point) {
        dissolvePoints(*layer, points_);
    }
    return {layer, nullptr};
}

} // namespace tessel

#include "tools/orientation.h"

#include "mesh/orientation.h"
#include "mesh/region.h"
#include "tools/tool_support.h"

namespace tessel {

std::shared_ptr<RecalculateOutside> RecalculateOutside::make(ToolContext& context, Element scope) {
    std::shared_ptr<RecalculateOutside> tool(new RecalculateOutside(context, scope));
    tool->installOwnPreview();
    return tool;
}

ModifierResult RecalculateOutside::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (scope_ == Element::Mesh) {
        orientOutward(*layer, {});
    } else if (const auto faces = distinctFaces(committed, faces_); !faces.empty()) {
        // An empty list would turn every face.
        orientOutward(*layer, faces);
    }
    return {layer, nullptr};
}

} // namespace tessel

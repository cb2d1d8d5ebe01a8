#pragma once

#include "tools/selection_edit.h"

namespace tessel {

// "Dissolve": previews the selected points (Point scope, dissolvePoints) or edges (Edge scope,
// dissolveEdges) dissolved, the faces around them joined; Apply commits. As dissolving renumbers
// points and faces, the selection taken before an Apply dissolves nothing after it until it
// changes.
class Dissolve final : public SelectionEdit {
public:
    static std::shared_ptr<Dissolve> make(ToolContext& context, Element scope);
    ModifierResult evaluate(const Layer& committed) override;

private:
    using SelectionEdit::SelectionEdit;
};

} // namespace tessel

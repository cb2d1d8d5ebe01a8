#pragma once

#include "tools/selection_edit.h"

namespace tessel {

// "Recalculate outside": previews the faces turned to point outward (orientOutward), those of the
// whole mesh (Mesh scope) or the selected ones (Face scope; none selected changes nothing);
// Apply commits.
class RecalculateOutside final : public SelectionEdit {
public:
    static std::shared_ptr<RecalculateOutside> make(ToolContext& context, Element scope);
    ModifierResult evaluate(const Layer& committed) override;

private:
    using SelectionEdit::SelectionEdit;
};

} // namespace tessel

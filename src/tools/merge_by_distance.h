#pragma once

#include "tools/selection_edit.h"

namespace tessel {

// "Merge by distance": previews the points closer than the Distance setting merged
// (mergeByDistance), among the selected points (Point scope; all points when none is selected)
// or all points (Mesh scope); Apply commits. As merging renumbers points, the selection taken
// before an Apply merges nothing after it until it changes.
class MergeByDistance final : public SelectionEdit {
public:
    static std::shared_ptr<MergeByDistance> make(ToolContext& context, Element scope);
    ModifierResult evaluate(const Layer& committed) override;

    // Distance: 0 … 10, 0.001 at first.
    std::vector<ToolSetting> settings() const override;
    void set(size_t index, double value) override;

private:
    using SelectionEdit::SelectionEdit;

    float distance_ = 0.001f;
};

} // namespace tessel

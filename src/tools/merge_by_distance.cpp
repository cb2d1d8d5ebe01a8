#include "tools/merge_by_distance.h"

#include "mesh/merge_by_distance.h"
#include "tools/tool_support.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {
constexpr double kLongestDistance = 10;
}

std::shared_ptr<MergeByDistance> MergeByDistance::make(ToolContext& context, Element scope) {
    std::shared_ptr<MergeByDistance> tool(new MergeByDistance(context, scope));
    tool->installOwnPreview();
    return tool;
}

ModifierResult MergeByDistance::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (scope_ == Element::Mesh || points_.empty()) {
        mergeByDistance(*layer, {}, distance_);
    } else if (selectionHolds(committed)) {
        mergeByDistance(*layer, points_, distance_);
    }
    return {layer, nullptr};
}

std::vector<ToolSetting> MergeByDistance::settings() const {
    ToolSetting distance{.name = "Distance",
                         .kind = ToolSetting::Kind::Number,
                         .value = distance_,
                         .minimum = 0,
                         .maximum = kLongestDistance,
                         .decimals = 4,
                         .choices = {}};
    return {distance};
}

void MergeByDistance::set(size_t index, double value) {
    if (index == 0 && !std::isnan(value)) {
        distance_ = static_cast<float>(std::clamp(value, 0.0, kLongestDistance));
    }
}

} // namespace tessel

#include "tools/weld.h"

#include "mesh/weld.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

namespace tessel {

std::shared_ptr<Weld> Weld::make(ToolContext& context) {
    return std::shared_ptr<Weld>(new Weld(context));
}

void Weld::press(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        removePreview(*model);
    }
}

void Weld::drag(Vec2 /*delta*/, Viewport& /*view*/) {}

void Weld::release(Vec2 /*position*/, Viewport& /*view*/) {
    const ModelPtr model = selectedModel(context_);
    if (model == nullptr) {
        return;
    }
    points_ = context_.selectedPointsIds();
    merged_.reset();
    welded_ = false;
    const LayerPtr before = model->committed();
    installPreview(*model, shared_from_this());
    model->applyModifier();
    // Left installed, the weld would run again on the next repaint after a selection change.
    removePreview(*model);
    if (welded_ && model->committed() != before) {
        // When every face around the merged point collapsed it left the layer: nothing remains
        // selected rather than an id that names another point.
        std::vector<std::int64_t>& selection = context_.selectedPointsIds();
        selection.clear();
        if (merged_) {
            selection.push_back(*merged_);
        }
    }
}

ModifierResult Weld::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed, 1, 0);

    // The welded points in layer order, whatever the selection's order; stale ids name nothing.
    std::vector<bool> selected(layer->positions.size(), false);
    for (const std::int64_t id : points_) {
        if (isValidPointId(id, *layer)) {
            selected[static_cast<size_t>(id)] = true;
        }
    }
    std::vector<std::uint32_t> points;
    for (size_t i = 0; i < selected.size(); ++i) {
        if (selected[i]) {
            points.push_back(static_cast<std::uint32_t>(i));
        }
    }
    if (!points.empty()) {
        merged_ = weld(*layer, points).point;
        welded_ = true;
    }
    return {layer, nullptr};
}

} // namespace tessel

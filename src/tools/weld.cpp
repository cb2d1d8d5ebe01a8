#include "tools/weld.h"

#include "editor/detail_view_controller.h"
#include "tools/tool_support.h"

namespace tessel {

std::shared_ptr<Weld> Weld::make(DetailViewController& context) {
    return std::shared_ptr<Weld>(new Weld(context));
}

void Weld::onMouseDown(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        removePreview(*model);
    }
}

void Weld::onMouseDragged(Vec2 /*delta*/, Viewport& /*view*/) {}

void Weld::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {
    const ModelPtr model = selectedModel(context_);
    if (model == nullptr) {
        return;
    }
    welding_ = context_.selectedPointsIds;
    installPreview(*model, [tool = shared_from_this()](Model& m) { return tool->preview(m); });
    model->applyModifier();
    welding_.reset();
}

ModifierResult Weld::preview(Model& model) const {
    ModelPtr copy = model.copy();
    const LayerPtr layer = firstLayer(*copy, "Weld.preview");

    // The welded points in layer order, whatever the selection's order; stale ids name nothing.
    std::vector<bool> selected(layer->points.size(), false);
    for (const std::int64_t id : welding_ ? *welding_ : context_.selectedPointsIds) {
        if (isValidPointId(id, *layer)) {
            selected[static_cast<size_t>(id)] = true;
        }
    }
    std::vector<PointPtr> points;
    for (size_t i = 0; i < layer->points.size(); ++i) {
        if (selected[i]) {
            points.push_back(layer->points[i]);
        }
    }

    const PointPtr welded = layer->weld(points);
    if (welded != nullptr) {
        // When every face around the merged point collapsed it left the layer: nothing remains
        // selected rather than an id that names another point.
        const std::optional<size_t> index = layer->indexOf(welded);
        context_.selectedPointsIds.clear();
        if (index) {
            context_.selectedPointsIds.push_back(static_cast<std::int64_t>(*index));
        }
    }
    return {copy, nullptr};
}

} // namespace tessel

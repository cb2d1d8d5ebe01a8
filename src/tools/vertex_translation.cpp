#include "tools/vertex_translation.h"

#include "tools/tool_context.h"
#include "tools/tool_support.h"

#include <cmath>

namespace tessel {

std::shared_ptr<VertexTranslation> VertexTranslation::make(ToolContext& context) {
    std::shared_ptr<VertexTranslation> tool(new VertexTranslation(context));
    if (const ModelPtr model = selectedModel(context)) {
        installPreview(*model, tool);
    }
    return tool;
}

void VertexTranslation::press(Vec2 /*position*/, Viewport& view) {
    points_ = context_.selectedPointsIds();
    const std::vector<std::int64_t>& ids = points_;
    const ModelPtr model = selectedModel(context_);
    if (ids.empty() || model == nullptr) {
        return;
    }
    const Vec2 pointer = devicePosition(view.pointerPosition);
    pointer_ = pointer;
    const LayerPtr layer = model->committed();
    viewProjection_ = view.viewProjection();
    const Matrix& viewProjection = viewProjection_;

    std::optional<Vector3> nearest;
    float nearestDistance = 0;
    for (const std::int64_t id : ids) {
        if (!isValidPointId(id, *layer)) {
            continue;
        }
        const Vector3 q = project(layer->positions[static_cast<size_t>(id)], viewProjection);
        // The pointer sits at device depth 0, so a nearer point can beat one closer on screen.
        const float dx = pointer.x - q.x;
        const float dy = pointer.y - q.y;
        const float dz = 0 - q.z;
        const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!nearest || distance < nearestDistance) {
            nearest = q;
            nearestDistance = distance;
        }
    }
    if (!nearest) {
        return;
    }
    initialPosition_ = unproject(nearest->x, nearest->y, nearest->z, viewProjection.inverted());
}

void VertexTranslation::drag(Vec2 /*delta*/, Viewport& view) {
    pointer_ = devicePosition(view.pointerPosition);
}

void VertexTranslation::release(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        model->applyModifier();
    }
    // The preview stays installed: without a picked point it yields the committed geometry.
    initialPosition_.reset();
}

ModifierResult VertexTranslation::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!initialPosition_) {
        return {layer, nullptr};
    }
    const Matrix inverse = viewProjection_.inverted();
    const Vector3 q = project(*initialPosition_, viewProjection_);
    const Vec2 pointer = pointer_;
    // The world offset that brings the picked point under the pointer at its own depth.
    const Vector3 offset =
        unproject(pointer.x, pointer.y, q.z, inverse) - unproject(q.x, q.y, q.z, inverse);

    for (const std::int64_t id : points_) {
        if (isValidPointId(id, *layer)) {
            layer->positions[static_cast<size_t>(id)] += offset;
        }
    }
    return {layer, nullptr};
}

} // namespace tessel

#include "tools/mesh_tools.h"

#include "editor/detail_view_controller.h"
#include "tools/picking.h"
#include "tools/tool_support.h"

namespace tessel {

// --- Move ---

std::shared_ptr<MeshTranslation> MeshTranslation::make(DetailViewController& context) {
    return std::shared_ptr<MeshTranslation>(new MeshTranslation(context));
}

void MeshTranslation::onMouseDown(Vec2 /*position*/, Viewport& view) {
    // Selecting below makes the controller replace its tool; this one must see the press out.
    const std::shared_ptr<MeshTranslation> self = shared_from_this();

    const ScenePtr& scene = context_.scene();
    std::vector<MeshPtr> meshes;
    if (scene && !scene->nodes().empty()) {
        meshes = scene->meshes();
    }
    const auto hit = nearestMesh(meshes, devicePosition(view.normalizedPointerPosition), view);
    context_.setSelectedNode(hit ? hit->first : nullptr);
    intersection_ = hit ? std::optional<Vector3>(hit->second) : std::nullopt;

    if (const ModelPtr model = selectedModel(context_)) {
        if (!modifier_) {
            modifier_ = [weak = weak_from_this()](Model& m) {
                const std::shared_ptr<MeshTranslation> tool = weak.lock();
                return tool ? tool->preview(m) : ModifierResult{m.copy(), nullptr};
            };
        }
        installPreview(*model, [self, preview = modifier_](Model& m) { return preview(m); });
    }
}

void MeshTranslation::onMouseDragged(Vec2 /*delta*/, Viewport& /*view*/) {}

void MeshTranslation::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        model->applyModifier();
        removePreview(*model);
    }
}

ModifierResult MeshTranslation::preview(Model& model) const {
    ModelPtr copy = model.copy();
    if (!intersection_) {
        return {copy, nullptr};
    }
    Viewport& view = context_.recentView();
    const Matrix viewProjection = view.node()->matrix();
    const Matrix inverse = viewProjection.inverted();
    const Vector3 q = project(*intersection_, viewProjection);
    const Vec2 pointer = devicePosition(view.normalizedPointerPosition);
    const Vector3 offset =
        unproject(pointer.x, pointer.y, q.z, inverse) - unproject(q.x, q.y, q.z, inverse);

    const LayerPtr layer = firstLayer(*copy, "MeshTranslation.preview");
    for (const PointPtr& point : layer->points) {
        point->position += offset;
    }
    return {copy, nullptr};
}

// --- Subdivide ---

std::shared_ptr<MeshSubdivide> MeshSubdivide::make(DetailViewController& context) {
    std::shared_ptr<MeshSubdivide> tool(new MeshSubdivide);
    if (const ModelPtr model = selectedModel(context)) {
        // The preview needs no tool state; it holds the tool only so that the tool lives as long
        // as its preview, like every other tool.
        installPreview(*model, [tool](Model& m) { return tool->preview(m); });
    }
    return tool;
}

void MeshSubdivide::onMouseDown(Vec2 /*position*/, Viewport& /*view*/) {}
void MeshSubdivide::onMouseDragged(Vec2 /*delta*/, Viewport& /*view*/) {}
void MeshSubdivide::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {}

ModifierResult MeshSubdivide::preview(Model& model) {
    ModelPtr copy = model.copy();
    const LayerPtr layer = firstLayer(*copy, "MeshSubdivide.preview");
    const size_t count = layer->polygons.size();
    // Each subdivision adds one point and, for a triangle, two faces.
    layer->points.reserve(layer->points.size() + count);
    layer->polygons.reserve(3 * count);
    for (size_t i = 0; i < count; ++i) {
        layer->subdividePolygon(i);
    }
    return {copy, nullptr};
}

} // namespace tessel

#include "tools/mesh_tools.h"

#include "mesh/subdivide.h"
#include "tools/picking.h"
#include "tools/tool_context.h"
#include "tools/tool_support.h"

namespace tessel {

// --- Move ---

std::shared_ptr<MeshTranslation> MeshTranslation::make(ToolContext& context) {
    return std::shared_ptr<MeshTranslation>(new MeshTranslation(context));
}

void MeshTranslation::press(Vec2 /*position*/, Viewport& view) {
    // Selecting below makes the editor replace its tool; this one must see the press out.
    const std::shared_ptr<MeshTranslation> self = shared_from_this();

    const auto hit = nearestMesh(context_.meshes(), devicePosition(view.pointerPosition), view);
    context_.selectMesh(hit ? hit->first : nullptr);
    intersection_ = hit ? std::optional<Vector3>(hit->second) : std::nullopt;
    viewProjection_ = view.viewProjection();
    pointer_ = devicePosition(view.pointerPosition);

    if (const ModelPtr model = selectedModel(context_)) {
        installPreview(*model, self);
    }
}

void MeshTranslation::drag(Vec2 /*delta*/, Viewport& view) {
    pointer_ = devicePosition(view.pointerPosition);
}

void MeshTranslation::release(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        model->applyModifier();
        removePreview(*model);
    }
}

ModifierResult MeshTranslation::evaluate(const Layer& committed) {
    LayerPtr layer = copyOf(committed);
    if (!intersection_) {
        return {layer, nullptr};
    }
    const Matrix inverse = viewProjection_.inverted();
    const Vector3 q = project(*intersection_, viewProjection_);
    const Vec2 pointer = pointer_;
    const Vector3 offset =
        unproject(pointer.x, pointer.y, q.z, inverse) - unproject(q.x, q.y, q.z, inverse);

    for (Vector3& p : layer->positions) {
        p += offset;
    }
    return {layer, nullptr};
}

// --- Subdivide ---

std::shared_ptr<MeshSubdivide> MeshSubdivide::make(ToolContext& context) {
    std::shared_ptr<MeshSubdivide> tool(new MeshSubdivide);
    if (const ModelPtr model = selectedModel(context)) {
        installPreview(*model, tool);
    }
    return tool;
}

void MeshSubdivide::press(Vec2 /*position*/, Viewport& /*view*/) {}
void MeshSubdivide::drag(Vec2 /*delta*/, Viewport& /*view*/) {}
void MeshSubdivide::release(Vec2 /*position*/, Viewport& /*view*/) {}

ModifierResult MeshSubdivide::evaluate(const Layer& committed) {
    const size_t faces = committed.faces.size();
    LayerPtr layer = copyOf(committed, faces, 2 * faces);
    subdivideAll(*layer);
    return {layer, nullptr};
}

size_t MeshSubdivide::trianglesAfter(const Layer& committed) const {
    // Every face of n corners becomes n triangles.
    return committed.faces.corners().size();
}

} // namespace tessel

#include "tools/polygon_tools.h"

#include "editor/detail_view_controller.h"
#include "tools/selection.h"
#include "tools/tool_support.h"

namespace tessel {

namespace {

// The selected face ids that name a polygon of `layer`. Selections are not renumbered when an
// edit removes faces, so an id may have gone stale.
std::vector<size_t> validFaceIds(const std::vector<std::uint32_t>& ids, const Layer& layer) {
    std::vector<size_t> valid;
    valid.reserve(ids.size());
    for (const std::uint32_t id : ids) {
        if (id < layer.polygons.size()) {
            valid.push_back(id);
        }
    }
    return valid;
}

// The edited face: the first selected id, when it names a polygon of `layer`.
std::optional<size_t> editedFace(const std::vector<std::uint32_t>& ids, const Layer& layer) {
    if (ids.empty() || ids.front() >= layer.polygons.size()) {
        return std::nullopt;
    }
    return ids.front();
}

// The drag measure: right and up count positive, so a diagonal drag up-left cancels out.
float dragMeasure(Vec2 delta) {
    return delta.x + delta.y;
}

} // namespace

// --- Shared gesture ---

void PolygonTool::installOwnPreview() {
    if (const ModelPtr model = selectedModel(context_)) {
        installPreview(*model, [tool = shared_from_this()](Model& m) { return tool->preview(m); });
    }
}

void PolygonTool::onMouseDown(Vec2 position, Viewport& view) {
    const ModelPtr model = selectedModel(context_);
    if (!model) {
        return;
    }
    intersection_ = onPolygonMouseDown(context_, position, view);
    // Picking read the preview as it was before this press; without a fresh cache the press
    // would only show up once the pointer moves.
    if (model->modifier_) {
        model->modifier_->result.reset();
    }
}

void PolygonTool::onMouseDragged(Vec2 /*delta*/, Viewport& /*view*/) {}

void PolygonTool::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        // The preview stays installed; without a press point it yields the committed geometry.
        model->applyModifier();
    }
    intersection_.reset();
}

void DraggingPolygonTool::onMouseDragged(Vec2 /*delta*/, Viewport& view) {
    if (!selectedModel(context_)) {
        return;
    }
    const Vec2 p = view.normalizedPointerPosition;
    const Vec2 s = view.normalizedMouseStartLocation;
    context_.delta = Vec2{2 * (p.x - s.x), 2 * (p.y - s.y)};
}

void DraggingPolygonTool::onMouseUp(Vec2 position, Viewport& view) {
    PolygonTool::onMouseUp(position, view);
    context_.delta.reset();
}

// --- Move ---

std::shared_ptr<PolygonTranslation> PolygonTranslation::make(DetailViewController& context) {
    std::shared_ptr<PolygonTranslation> tool(new PolygonTranslation(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonTranslation::preview(Model& model) {
    ModelPtr copy = model.copy();
    if (!intersection_ || !context_.delta) {
        return {copy, nullptr};
    }
    const Vector3 pressed = *intersection_;
    const Vec2 d = *context_.delta;
    Viewport& view = context_.recentView();
    const Matrix viewProjection = view.node()->matrix();
    // The point seen where the pressed point is, shifted on screen by the drag, at its depth.
    const Vector3 q = project(pressed, viewProjection);
    const Vector3 target = unproject(q.x + d.x, q.y + d.y, q.z + 0, viewProjection.inverted());
    const Vector3 offset = target - pressed;

    const LayerPtr layer = firstLayer(*copy, "PolygonTranslation.preview");
    const std::vector<size_t> faces = validFaceIds(context_.selectedFacesIds, *layer);
    for (const PointPtr& point : layer->pointsSharedBy(faces)) {
        point->position += offset;
    }
    return {copy, nullptr};
}

// --- Scale ---

std::shared_ptr<PolygonScale> PolygonScale::make(DetailViewController& context) {
    std::shared_ptr<PolygonScale> tool(new PolygonScale(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonScale::preview(Model& model) {
    ModelPtr copy = model.copy();
    if (!intersection_ || !context_.delta) {
        return {copy, nullptr};
    }
    const float s = dragMeasure(*context_.delta) + 1;
    const LayerPtr layer = firstLayer(*copy, "PolygonScale.preview");
    const std::vector<PointPtr> points =
        layer->pointsSharedBy(validFaceIds(context_.selectedFacesIds, *layer));
    if (points.empty()) {
        return {copy, nullptr};
    }
    const Vector3 c = centroid(points);
    for (const PointPtr& point : points) {
        point->position = c + s * (point->position - c);
    }
    return {copy, nullptr};
}

// --- Extrude ---

std::shared_ptr<Extrude> Extrude::make(DetailViewController& context) {
    std::shared_ptr<Extrude> tool(new Extrude(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult Extrude::preview(Model& model) {
    ModelPtr copy = model.copy();
    if (!intersection_ || !context_.delta) {
        return {copy, nullptr};
    }
    const LayerPtr layer = firstLayer(*copy, "Extrude.preview");
    const std::optional<size_t> face = editedFace(context_.selectedFacesIds, *layer);
    if (face && layer->polygons[*face]->isTriangle()) {
        layer->extrudeTriangle(*face, dragMeasure(*context_.delta));
    }
    return {copy, nullptr};
}

// --- Subdivide ---

std::shared_ptr<PolygonSubdivide> PolygonSubdivide::make(DetailViewController& context) {
    std::shared_ptr<PolygonSubdivide> tool(new PolygonSubdivide(context));
    tool->installOwnPreview();
    return tool;
}

ModifierResult PolygonSubdivide::preview(Model& model) {
    ModelPtr copy = model.copy();
    if (!intersection_) {
        return {copy, nullptr};
    }
    const LayerPtr layer = firstLayer(*copy, "PolygonSubdivide.preview");
    if (const std::optional<size_t> face = editedFace(context_.selectedFacesIds, *layer)) {
        layer->subdividePolygon(*face);
    }
    return {copy, nullptr};
}

// --- Delete ---

std::shared_ptr<PolygonDelete> PolygonDelete::make(DetailViewController& context) {
    std::shared_ptr<PolygonDelete> tool(new PolygonDelete(context));
    // No earlier tool's preview may stay visible: this tool shows nothing until it deletes.
    if (const ModelPtr model = selectedModel(context)) {
        removePreview(*model);
    }
    return tool;
}

void PolygonDelete::onMouseUp(Vec2 /*position*/, Viewport& /*view*/) {
    if (const ModelPtr model = selectedModel(context_)) {
        installOwnPreview();
        model->applyModifier();
        removePreview(*model);
    }
    intersection_.reset();
}

ModifierResult PolygonDelete::preview(Model& model) {
    ModelPtr copy = model.copy();
    if (!intersection_) {
        return {copy, nullptr};
    }
    const LayerPtr layer = firstLayer(*copy, "PolygonDelete.preview");
    if (const std::optional<size_t> face = editedFace(context_.selectedFacesIds, *layer)) {
        const PolygonPtr polygon = layer->polygons[*face];
        layer->removePolygons({&polygon, 1});
        context_.selectedFacesIds.clear();
    }
    return {copy, nullptr};
}

} // namespace tessel
